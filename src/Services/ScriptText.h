#pragma once

#include "Models/Browser.h"

#include <QString>

// The pieces every script sent to another app is built from, so that each
// script addresses its app and quotes its texts the same way.
class ScriptText {
public:
    // "tell application id "<bundle id>"": a script addresses its app by
    // bundle identifier, never by name.
    static QString tellApplication(Browser browser);
    // The text made safe to stand between double quotes: backslashes and
    // quotes escaped, control and format characters dropped.
    static QString escaped(const QString& text);
    // The escaped text between double quotes.
    static QString quoted(const QString& text);
};
