#pragma once

#include "Onboarding/OnboardingModel.h"
#include "Platform/Sim/SimPlatform.h"
#include "Services/PermissionsService.h"
#include "Services/SafariMetadataService.h"
#include "Services/ScriptGuard.h"

#include <chrono>
#include <memory>

// The setup window's model over a simulated host, polling at a test's pace.
struct OnboardingFixture {
    explicit OnboardingFixture(const SimModel& model, std::chrono::milliseconds pollInterval =
                                                          std::chrono::milliseconds(20))
        : sim(model), guard(sim.appleScript, sim.systemLog, sim.clock),
          metadata(platform, guard, {1.0, 1.0}), permissions(sim.accessibility, sim.windowServer),
          model(std::make_unique<OnboardingModel>(permissions, metadata, sim.workspace,
                                                  sim.urlOpener, pollInterval))
    {
    }

    void setTrusted(bool trusted)
    {
        sim.host.modify([trusted](SimModel& m) { m.accessibilityTrusted = trusted; });
    }
    void setScreenRecording(bool granted)
    {
        sim.host.modify([granted](SimModel& m) { m.screenRecordingGranted = granted; });
    }

    SimPlatform sim;
    Platform platform = sim.platform();
    ScriptGuard guard;
    SafariMetadataService metadata;
    PermissionsService permissions;
    std::unique_ptr<OnboardingModel> model;
};
