#pragma once

#include "Platform/Accessibility.h"
#include "Platform/AppleScript.h"
#include "Platform/LoginItems.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <sys/types.h>

#include <optional>

// The state of the simulated desktop. Plain data: SimHost owns one under its
// lock, scenarios and the builder produce one, the Sim facilities read and
// change it.

// Replaces what reading one attribute of one element answers: a value of
// another kind, or an error.
struct SimAttributeOverride {
    AXError error = AXError::Success;
    AXValue value;
};

struct SimWindow {
    quint64 token = 0; // the window's accessibility element; assigned by SimHost
    QString title;
    QRectF frame; // points, top-left origin
    bool minimized = false;
    QString subrole = AXSubrole::standardWindow; // empty: the attribute cannot be read
    bool main = false;
    bool accessible = true; // false: only scripting sees it (another Space)
    QHash<QString, SimAttributeOverride> attributeOverrides;

    // The window server's view.
    std::optional<quint32> windowNumber; // absent: the window server does not list it
    int layer = 0;
    bool windowNumberCallFails = false; // the element-to-number call answers 0

    // Scripting's view; an empty scriptID keeps it out of script replies.
    QString scriptID;
    QString url;
    int tabCount = 0;

    // Pixels: each window draws its own colour and title.
    QColor color;
    bool captureFails = false;     // screen capture of this window fails
    bool legacyImageFails = false; // the window server's image call fails
};

// An item of an app's menu bar, or an entry of one of its menus. As on the
// host, an item that opens a menu has that menu as its one child, and the
// menu's children are the entries. Pressing an entry whose title names an open
// document switches to that document.
struct SimMenuItem {
    quint64 token = 0; // assigned by SimHost
    QString title;     // empty: a separator
    QList<SimMenuItem> children;

    // An item whose menu holds these entries.
    static SimMenuItem withMenu(const QString& title, QList<SimMenuItem> entries);
};

// How an app answers scripts.
struct SimScripting {
    double delaySeconds = 0;
    bool hangs = false;                        // runs until released through the control face
    bool automationDenied = false;             // answers every script with error -1743
    std::optional<QVariantMap> error;          // answers every script with this error dictionary
    std::optional<AEDescriptor> replyOverride; // answers list scripts with this (malformed replies)
};

// How an app answers accessibility requests.
struct SimAccessibilityBehaviour {
    double delaySeconds = 0;        // every request takes this long
    bool hung = false;              // no request is ever answered
    bool windowsUnreadable = false; // "AXWindows" fails
    bool observerCreationFails = false;
};

struct SimInstance {
    pid_t pid = 0;
    QString bundleID;
    QString name;
    QList<SimWindow> windows; // front to back
    QStringList documents;    // open documents of a document app, in the app's order
    std::optional<QString> activeDocument;
    QList<SimMenuItem> menuBar;
    SimAccessibilityBehaviour accessibility;
    SimScripting scripting; // the first running instance of an app answers its scripts

    // The document a window of this title shows: the one it is named after,
    // alone or followed by a space and the view's state ("Poster.psd @ 66.7%
    // (RGB/8)"). One name may begin another, so the longest one wins.
    std::optional<QString> documentShownIn(const QString& windowTitle) const;
    // The first window that accessibility reaches and that shows the document.
    const SimWindow* windowShowing(const QString& document) const;
};

struct SimApp {
    QString bundleID;
    QString name;
    QString path; // where it is installed
    QColor iconColor;
};

struct SimScreen {
    QRectF frame; // bottom-left origin, y up
    QRectF visibleFrame;
    QString name;
};

struct SimModel {
    QList<SimApp> installedApps;
    QList<SimInstance> instances;    // launch order
    QVariantList extraWindowRecords; // window-server records of other processes, malformed ones

    bool accessibilityTrusted = true;
    bool screenRecordingGranted = true;
    bool windowNumberCallAvailable = true;
    bool reduceMotion = false;
    double captureDelaySeconds = 0; // every window capture takes this long

    QList<SimScreen> screens; // primary first
    QPointF pointer;
    std::optional<pid_t> frontmostPid;

    LoginItemStatus loginItemStatus = LoginItemStatus::notRegistered;
    std::optional<QString> loginItemError; // registration changes fail with this text

    const SimApp* installedApp(const QString& bundleID) const;
    SimApp* installedApp(const QString& bundleID);
    SimInstance* instance(pid_t pid);
    const SimInstance* instance(pid_t pid) const;
    // The first running instance of the app: the one that answers its scripts.
    SimInstance* firstInstance(const QString& bundleID);
    const SimInstance* firstInstance(const QString& bundleID) const;
    // The window the window server knows by this number, of any instance.
    const SimWindow* windowWithNumber(quint32 windowNumber) const;
};
