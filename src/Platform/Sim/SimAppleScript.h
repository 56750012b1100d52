#pragma once

#include "Platform/AppleScript.h"

class SimHost;

// App scripting of the simulated desktop.
class SimAppleScript final : public AppleScript {
public:
    explicit SimAppleScript(SimHost& host) : m_host(host) {}

    std::optional<AppleScriptProgram> build(const QString& source) const override;
    AppleScriptRun execute(const AppleScriptProgram& program) override;

private:
    SimHost& m_host;
};
