#include "support/OverlayFixture.h"

#include "Platform/Sim/SimScenario.h"

#include <QSignalSpy>
#include <QTest>

OverlayFixture::OverlayFixture(SimModel model)
    : sim(std::move(model)), platform(sim.platform()),
      guard(sim.appleScript, sim.systemLog, sim.clock), windows(platform),
      metadata(platform, guard),
      snapshots(sim.screenCapture, sim.windowServer, sim.clock, thumbnails.path()),
      focus(platform, guard),
      preferences(sim.defaults, sim.workspace, sim.loginItems, sim.systemLog), tracker(platform),
      icons(sim.workspace), controller(windows, metadata, snapshots, focus, preferences, tracker,
                                       OverlayEnvironment{sim.screens, sim.workspace, icons})
{
    PreferencesService::BrowserSet enabled;
    for (const Browser browser : Browser::installed(sim.workspace))
        enabled.insert(browser);
    preferences.setEnabledBrowsers(enabled);
}

OverlayFixture::~OverlayFixture()
{
    controller.hide();
}

SimModel OverlayFixture::defaultScenario()
{
    return std::get<SimModel>(SimScenario::load(SimScenario::defaultPath()));
}

SimModel OverlayFixture::manyWindows(int count)
{
    QByteArray windowsJson;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            windowsJson += ',';
        windowsJson += QStringLiteral(R"({ "title": "Window %1", "frame": [%2, 40, 900, 600],
                                          "windowNumber": %3 })")
                           .arg(i)
                           .arg(i % 400)
                           .arg(1000 + i)
                           .toUtf8();
    }
    const QByteArray json = R"({ "installed": ["chrome"],
        "instances": [{ "app": "chrome", "pid": 612, "windows": [)" +
                            windowsJson + R"(] }],
        "screens": [{ "name": "Screen", "frame": [0, 0, 2560, 1440],
                      "visibleFrame": [0, 0, 2560, 1415] }],
        "pointer": [10, 10], "frontmost": 612 })";
    return std::get<SimModel>(SimScenario::parse(json, QStringLiteral("many windows")));
}

void OverlayFixture::showAndSettle(int step, std::optional<Browser> scope)
{
    QSignalSpy snapshotsArrived(&controller, &OverlayController::snapshotsChanged);
    controller.show(step, scope);
    if (preferences.showWindowPreviews() &&
        sim.host.read([](const SimModel& model) { return model.screenRecordingGranted; }))
        snapshotsArrived.wait(5000);
    QCoreApplication::processEvents();
}
