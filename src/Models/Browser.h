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

    constexpr Browser(Case value) : m_case(value) {}   // NOLINT(google-explicit-constructor)
    constexpr operator Case() const { return m_case; } // NOLINT(google-explicit-constructor)

    static const std::array<Browser, count>& allCases();
    // Exact, case-sensitive match of the whole text against the raw values.
    static std::optional<Browser> fromRawValue(QStringView rawValue);
    // Exact, case-sensitive match against the bundle identifiers.
    static std::optional<Browser> from(const std::optional<QString>& bundleID);

    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString displayName() const;
    QString bundleID() const;
    QColor badgeColor() const;

    // Asked afresh at every call, so an app installed meanwhile is seen.
    bool isInstalled(const Workspace& workspace) const;
    static QList<Browser> installed(const Workspace& workspace);

private:
    Case m_case;
};

inline size_t qHash(Browser browser, size_t seed = 0) noexcept
{
    return qHash(int(Browser::Case(browser)), seed);
}

// The app families. The roster carries no family of its own: services decide
// by case through these sets.
namespace AppFamily {
bool isWindowScriptApp(Browser browser);   // answers a window-list script
bool isDocumentApp(Browser browser);       // scripted by open documents
bool isScriptedApp(Browser browser);       // either of the two above
bool isAccessibilityOnly(Browser browser); // never scripted
} // namespace AppFamily

// App icons, looked up once per app and kept for the life of the process.
// An app that is not installed yet is asked for again at the next call.
// Main thread only.
class BrowserIconCache {
public:
    explicit BrowserIconCache(const Workspace& workspace) : m_workspace(workspace) {}

    // A null image when the app is not installed.
    QImage icon(Browser browser);
    bool contains(Browser browser) const { return m_icons.contains(browser); }

private:
    const Workspace& m_workspace;
    QHash<Browser, QImage> m_icons;
};
