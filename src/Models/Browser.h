#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>

#include <array>
#include <optional>

class Workspace;

// The closed roster of the 32 supported apps. Declaration order is the display
// order of apps everywhere. Despite the name, not every app is a browser.
class Browser {
public:
    enum Case : quint8 {
        safari,
        chrome,
        arc,
        firefox,
        photoshop,
        illustrator,
        indesign,
        acrobat,
        edge,
        brave,
        vivaldi,
        opera,
        finder,
        terminal,
        iterm,
        pages,
        numbers,
        keynote,
        word,
        excel,
        powerpoint,
        preview,
        mail,
        textedit,
        vscode,
        cursor,
        xcode,
        figma,
        sketch,
        affinityPhoto,
        affinityDesigner,
        obsidian,
    };
    static constexpr int count = 32;

    // The dialect of an app's window-list script (see the metadata service).
    enum class WindowScriptKind : quint8 { safari, chromium, arc, finder, generic };

    constexpr Browser(Case value) : m_case(value) {}   // NOLINT(google-explicit-constructor)
    constexpr operator Case() const { return m_case; } // NOLINT(google-explicit-constructor)

    static const std::array<Browser, count>& allCases();
    // Exact, case-sensitive match of the whole text against the raw values.
    static std::optional<Browser> fromRawValue(QStringView rawValue);
    // Exact, case-sensitive match against the bundle identifiers.
    static std::optional<Browser> from(const std::optional<QString>& bundleID);

    QString rawValue() const;
    QString displayName() const;
    QString bundleID() const;
    QColor badgeColor() const;

    // The app families. Every service and view that treats apps differently
    // decides through these, never by listing apps itself.
    //
    // Answers a window-list script; its windows found only by scripting are
    // focused by a window script.
    bool isWindowScriptApp() const { return windowScriptKind().has_value(); }
    // No value for an app outside the window-script family.
    std::optional<WindowScriptKind> windowScriptKind() const;
    // Scripted by its open documents rather than by its windows.
    bool isDocumentApp() const;
    // The one document app that reports the document in front, shows one
    // document per window and switches documents only through its Window menu.
    bool isWindowMenuDocumentApp() const { return m_case == acrobat; }
    // Either of the two script families: its windows are merged after listing.
    bool isScriptedApp() const { return isWindowScriptApp() || isDocumentApp(); }
    // Never sent a script: its windows come from Accessibility alone.
    bool isAccessibilityOnly() const { return !isScriptedApp(); }

    // Asked afresh at every call, so an app installed meanwhile is seen.
    bool isInstalled(const Workspace& workspace) const;
    static QList<Browser> installed(const Workspace& workspace);

    // For tests and benchmarks: the product never calls these.
    QString id() const { return rawValue(); }

private:
    Case m_case;
};

inline size_t qHash(Browser browser, size_t seed = 0) noexcept
{
    return qHash(int(Browser::Case(browser)), seed);
}

// App icons, looked up once per app and kept for the life of the process.
// An app that is not installed yet is asked for again at the next call.
// Main thread only.
class BrowserIconCache {
public:
    explicit BrowserIconCache(const Workspace& workspace) : m_workspace(workspace) {}

    // A null image when the app is not installed.
    QImage icon(Browser browser);

    // For tests and benchmarks: the product never calls these.
    bool contains(Browser browser) const { return m_icons.contains(browser); }

private:
    const Workspace& m_workspace;
    QHash<Browser, QImage> m_icons;
};
