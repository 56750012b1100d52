#include "SimAppleScript.h"

#include "Platform/Sim/SimHost.h"

std::optional<AppleScriptProgram> SimAppleScript::build(const QString& source) const
{
    return AppleScriptProgram{source};
}

// Script answers arrive with app scripting.
AppleScriptRun SimAppleScript::execute(const AppleScriptProgram&)
{
    return AppleScriptRun{std::nullopt, QVariantMap{{AppleScriptErrorKey::message,
                                                     QStringLiteral("not available")},
                                                    {AppleScriptErrorKey::number, -1}}};
}
