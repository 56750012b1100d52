#pragma once

#include "Platform/Sim/SimModel.h"

#include <QByteArray>
#include <QString>

#include <variant>

// Why a scenario could not be loaded: one line naming the file, the place in
// it (line and column for a syntax error, a path such as
// "instances[1].windows[0].frame" for anything else) and the problem.
struct SimScenarioError {
    QString message;
};

// Scenario files: a whole SimModel as JSON (format in docs/SCENARIO.md).
// Loading is strict: a key that the format does not know, a value of the
// wrong kind or an app that cannot be identified rejects the whole file, so
// that a typo never passes silently.
class SimScenario {
public:
    using Result = std::variant<SimModel, SimScenarioError>;

    // The scenario compiled into the program.
    static QString defaultPath() { return QStringLiteral(":/sim/default.json"); }

    static Result load(const QString& path);
    // fileName only names the source in error messages.
    static Result parse(const QByteArray& json, const QString& fileName);
};
