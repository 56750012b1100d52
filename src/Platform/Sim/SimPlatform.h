#pragma once

#include "Platform/Platform.h"
#include "Platform/Sim/SimAccessibility.h"
#include "Platform/Sim/SimAppleScript.h"
#include "Platform/Sim/SimClock.h"
#include "Platform/Sim/SimEventTap.h"
#include "Platform/Sim/SimHost.h"
#include "Platform/Sim/SimLoginItems.h"
#include "Platform/Sim/SimScreenCapture.h"
#include "Platform/Sim/SimScreens.h"
#include "Platform/Sim/SimSystemLog.h"
#include "Platform/Sim/SimUrlOpener.h"
#include "Platform/Sim/SimUserDefaults.h"
#include "Platform/Sim/SimWindowServer.h"
#include "Platform/Sim/SimWorkspace.h"

// The whole simulated host: the model and one facility per host interface.
// Tests build one from a scenario and hand platform() to the services; the
// facilities' own public members are the control face.
class SimPlatform {
public:
    explicit SimPlatform(SimModel model = {})
        : host(std::move(model)), accessibility(host), windowServer(host), screenCapture(host),
          appleScript(host), workspace(host), eventTap(host), loginItems(host), screens(host)
    {
    }

    Platform platform()
    {
        return Platform{accessibility, windowServer, screenCapture, appleScript, workspace,
                        urlOpener,     eventTap,     loginItems,    defaults,    screens,
                        systemLog,     clock};
    }

    SimHost host;
    SimClock clock;
    SimAccessibility accessibility;
    SimWindowServer windowServer;
    SimScreenCapture screenCapture;
    SimAppleScript appleScript;
    SimWorkspace workspace;
    SimUrlOpener urlOpener;
    SimEventTap eventTap;
    SimLoginItems loginItems;
    SimUserDefaults defaults;
    SimScreens screens;
    SimSystemLog systemLog;
};
