#pragma once

#include "Platform/Platform.h"
#include "Platform/Sim/SimAccessibility.h"
#include "Platform/Sim/SimAppleScript.h"
#include "Platform/Sim/SimClock.h"
#include "Platform/Sim/SimControl.h"
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

// The whole simulated host: the model, one facility per host interface and the
// control face. Tests build one from a scenario, hand platform() to the
// services and drive the desktop through host and control.
class SimPlatform {
public:
    explicit SimPlatform(SimModel model = {})
        : host(std::move(model)), accessibility(host), windowServer(host), screenCapture(host),
          appleScript(host), workspace(host), eventTap(host), loginItems(host), screens(host),
          control(host, accessibility, appleScript, eventTap, windowServer, screenCapture)
    {
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
    SimControl control;

    // For tests and benchmarks: the product never calls these.
    Platform platform()
    {
        return Platform{accessibility, windowServer, screenCapture, appleScript,
                        workspace,     urlOpener,    eventTap,      loginItems,
                        defaults,      screens,      systemLog,     clock};
    }
};
