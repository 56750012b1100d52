#include "Platform/Live/JsonUserDefaults.h"
#include "Platform/Live/SyslogSystemLog.h"
#include "Platform/Live/XdgLoginItems.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenario.h"
#include "Services/PermissionsService.h"
#include "Services/PreferencesService.h"
#include "app/RenderModes.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (const std::optional<int> status = RenderModes::runIfRequested(argc, argv))
        return *status;

    QGuiApplication app(argc, argv);

    // The other apps and their windows come from the simulated host; a
    // scenario that does not load stops the program before anything starts.
    const QString scenario = qEnvironmentVariable("TESSEL_SIM_SCENARIO");
    SimScenario::Result loaded =
        SimScenario::load(scenario.isEmpty() ? SimScenario::defaultPath() : scenario);
    if (const auto* error = std::get_if<SimScenarioError>(&loaded)) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(error->message));
        return 2;
    }
    SimPlatform host(std::move(std::get<SimModel>(loaded)));

    JsonUserDefaults defaults(JsonUserDefaults::defaultPath());
    XdgLoginItems loginItems(QCoreApplication::applicationFilePath());
    SyslogSystemLog systemLog;

    PermissionsService permissions(host.accessibility, host.windowServer);
    PreferencesService preferences(defaults, host.workspace, loginItems, systemLog);

    std::printf("Tessel Nav launched. %s\n", qUtf8Printable(permissions.statusSummary()));
    std::fflush(stdout);
    return 0;
}
