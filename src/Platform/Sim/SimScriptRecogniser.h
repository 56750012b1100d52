#pragma once

#include "Models/Browser.h"

#include <QString>

#include <optional>

enum class SimScriptKind {
    windowList,
    documentList,
    documentNames,
    activeDocument,
    focusWindow,
    switchDocument,
};

// A script text the simulated apps understand, taken apart.
struct SimScriptMatch {
    SimScriptKind kind;
    QString bundleID;
    Browser browser = Browser::safari;
    QString windowReference; // focusWindow: the literal as written (number or quoted text)
    std::optional<QString> windowName; // focusWindow by a quoted text: that text, unescaped
    QString documentName;              // switchDocument: the unescaped name
    bool unminimize = false;           // focusWindow: the script carries the un-minimize clause
};

// Recognises exactly the scripts the product sends (window lists of each
// kind, document lists, the Window-menu document app's document and
// active-document queries, window focus and document switch), character for
// character; any other text is no script of the simulated desktop.
class SimScriptRecogniser {
public:
    static std::optional<SimScriptMatch> recognise(const QString& source);
};
