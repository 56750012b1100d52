#include "OverlayFixture.h"

#include "Platform/Sim/SimScenario.h"

#include <QSet>
#include <QTest>

const QRectF OverlayFixture::screenFrame(0, 0, 1440, 900);
const QRectF OverlayFixture::visibleFrame(0, 0, 1440, 875);
const QPointF OverlayFixture::pointerAside(5, 895);

SimScenarioBuilder OverlayFixture::desktop()
{
    SimScenarioBuilder builder;
    builder.screen(screenFrame, visibleFrame, "Built-in").pointer(pointerAside);
    return builder;
}

SimScenarioBuilder& OverlayFixture::withWindows(SimScenarioBuilder& builder, Browser app, pid_t pid,
                                                const QStringList& titles, quint32 firstNumber)
{
    builder.launch(app, pid);
    for (const QString& title : titles)
        builder.window(title).windowNumber(firstNumber++);
    return builder;
}

SimWindow OverlayFixture::window(const QString& title, quint32 number)
{
    SimWindow result;
    result.title = title;
    result.frame = QRectF(100, 100, 800, 600);
    result.windowNumber = number;
    return result;
}

OverlayFixture::OverlayFixture(const SimModel& model, const QList<Browser>& enabled)
    : sim(model), guard(sim.appleScript, sim.systemLog, sim.clock), windowService(platform),
      metadata(platform, guard, MetadataTimeouts{2.0, 2.0}),
      snapshots(sim.screenCapture, sim.windowServer, sim.clock, thumbnails.path()),
      focus(platform, guard),
      preferences(sim.defaults, sim.workspace, sim.loginItems, sim.systemLog), tracker(platform),
      icons(sim.workspace),
      controller(windowService, metadata, snapshots, focus, preferences, tracker,
                 OverlayEnvironment{sim.screens, sim.workspace, icons})
{
    preferences.setEnabledBrowsers({enabled.cbegin(), enabled.cend()});
}

namespace {

QList<Browser> installedIn(const SimModel& model)
{
    QList<Browser> result;
    for (const SimApp& app : model.installedApps) {
        if (const std::optional<Browser> browser = Browser::from(app.bundleID))
            result << *browser;
    }
    return result;
}

} // namespace

OverlayFixture::OverlayFixture(const SimModel& model) : OverlayFixture(model, installedIn(model)) {}

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
    SimScenarioBuilder builder = desktop();
    builder.install(Browser::chrome).launch(Browser::chrome, 612);
    for (int i = 0; i < count; ++i)
        builder.window(QStringLiteral("Window %1").arg(i)).windowNumber(quint32(1000 + i));
    return builder.build();
}

void OverlayFixture::showAndSettle(int step, std::optional<Browser> scope)
{
    controller.show(step, scope);
    const bool capturing =
        preferences.showWindowPreviews() &&
        sim.host.read([](const SimModel& model) { return model.screenRecordingGranted; });
    // Every window the window server knows is captured once, for the first
    // of the records that show it (documents of one app share a window).
    const bool settled = QTest::qWaitFor(
        [&] {
            if (!capturing)
                return true;
            QSet<quint32> captured, listed;
            for (const SafariWindow& window : controller.windows()) {
                if (!window.windowID)
                    continue;
                listed.insert(*window.windowID);
                if (controller.snapshots().contains(window.id()))
                    captured.insert(*window.windowID);
            }
            return captured == listed;
        },
        5000);
    if (!settled)
        qWarning("OverlayFixture: not every window's snapshot arrived");
    QCoreApplication::processEvents();
}

QStringList OverlayFixture::titles() const
{
    QStringList result;
    for (const SafariWindow& window : controller.windows())
        result << window.title;
    return result;
}

QString OverlayFixture::selectedTitle() const
{
    return controller.windows().value(controller.selectedIndex()).title;
}

bool OverlayFixture::waitForMerges()
{
    // The merges run one after another on the metadata service's queue, so
    // one more that does nothing completes after all those before it.
    QObject context;
    bool done = false;
    metadata.mergeAndEnrichAsync({}, Browser::firefox, windowService, &context,
                                 [&done](const QList<SafariWindow>&) { done = true; });
    return QTest::qWaitFor([&] { return done; });
}

QString OverlayFixture::mainWindowTitle(pid_t pid) const
{
    return sim.host.read([pid](const SimModel& model) {
        for (const SimWindow& window : model.instance(pid)->windows) {
            if (window.main)
                return window.title;
        }
        return QString();
    });
}

quint64 OverlayFixture::windowToken(pid_t pid, quint32 windowNumber) const
{
    return sim.host.read([pid, windowNumber](const SimModel& model) {
        for (const SimWindow& window : model.instance(pid)->windows) {
            if (window.windowNumber == windowNumber)
                return window.token;
        }
        return quint64(0);
    });
}
