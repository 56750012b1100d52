#pragma once

#include "Models/Browser.h"
#include "Platform/Accessibility.h"

#include <QRectF>
#include <QString>
#include <QUrl>

#include <optional>

// One switchable window of any supported app: a plain value, compared and
// looked up by id().
struct SafariWindow {
    Browser browser = Browser::safari;
    std::optional<AXElement> axElement; // none for a record known only from scripting
    pid_t pid = 0;
    std::optional<quint32> windowID;       // window-server number
    std::optional<QString> scriptWindowID; // the app's scripting id, or a document name
    QString title;
    QRectF frame; // points, top-left origin; zero when unknown
    bool isMinimized = false;
    std::optional<QUrl> tabURL;
    std::optional<int> tabCount;

    // Stable identity: doc-<app>-<name>, cg-<number>, ax-<pid>-<title>-<x>-<y>
    // or as-<app>-<script id>, by the first rule that applies.
    QString id() const;
    // A card of one of a document app's documents rather than of a window:
    // the window that shows it changes as the app switches documents.
    bool isDocument() const { return browser.isDocumentApp() && scriptWindowID.has_value(); }
    // A file URL's path with the home folder as "~", else the host without "www.".
    std::optional<QString> domain() const;
    // Safari only: the profile named before the first " — " of the title.
    std::optional<QString> profileName() const;
};

// The id of a window known by its window-server number, as both the listing
// and focus notifications form it.
QString windowServerWindowId(quint32 windowID);
