#include "Browser.h"

#include "Platform/Workspace.h"

#include <utility>

namespace {

struct Entry {
    const char* rawValue;
    const char* displayName;
    const char* bundleID;
    float red, green, blue;
};

// Indexed by Browser::Case.
constexpr std::array<Entry, Browser::count> roster{{
    {"safari", "Safari", "com.apple.Safari", 0.16f, 0.44f, 0.72f},
    {"chrome", "Chrome", "com.google.Chrome", 0.80f, 0.53f, 0.14f},
    {"arc", "Arc", "company.thebrowser.Browser", 0.52f, 0.36f, 0.72f},
    {"firefox", "Firefox", "org.mozilla.firefox", 0.82f, 0.38f, 0.12f},
    {"photoshop", "Photoshop", "com.adobe.Photoshop", 0.12f, 0.42f, 0.72f},
    {"illustrator", "Illustrator", "com.adobe.illustrator", 0.82f, 0.52f, 0.10f},
    {"indesign", "InDesign", "com.adobe.InDesign", 0.78f, 0.16f, 0.42f},
    {"acrobat", "Acrobat", "com.adobe.Acrobat.Pro", 0.78f, 0.14f, 0.14f},
    {"edge", "Edge", "com.microsoft.edgemac", 0.05f, 0.45f, 0.60f},
    {"brave", "Brave", "com.brave.Browser", 0.85f, 0.30f, 0.15f},
    {"vivaldi", "Vivaldi", "com.vivaldi.Vivaldi", 0.75f, 0.15f, 0.15f},
    {"opera", "Opera", "com.operasoftware.Opera", 0.80f, 0.10f, 0.25f},
    {"finder", "Finder", "com.apple.finder", 0.20f, 0.55f, 0.85f},
    {"terminal", "Terminal", "com.apple.Terminal", 0.22f, 0.24f, 0.28f},
    {"iterm", "iTerm", "com.googlecode.iterm2", 0.10f, 0.35f, 0.30f},
    {"pages", "Pages", "com.apple.iWork.Pages", 0.90f, 0.55f, 0.15f},
    {"numbers", "Numbers", "com.apple.iWork.Numbers", 0.15f, 0.60f, 0.30f},
    {"keynote", "Keynote", "com.apple.iWork.Keynote", 0.15f, 0.50f, 0.80f},
    {"word", "Word", "com.microsoft.Word", 0.11f, 0.31f, 0.65f},
    {"excel", "Excel", "com.microsoft.Excel", 0.10f, 0.50f, 0.28f},
    {"powerpoint", "PowerPoint", "com.microsoft.Powerpoint", 0.78f, 0.28f, 0.11f},
    {"preview", "Preview", "com.apple.Preview", 0.30f, 0.58f, 0.85f},
    {"mail", "Mail", "com.apple.mail", 0.25f, 0.50f, 0.90f},
    {"textedit", "TextEdit", "com.apple.TextEdit", 0.52f, 0.48f, 0.42f},
    {"vscode", "VS Code", "com.microsoft.VSCode", 0.13f, 0.47f, 0.78f},
    {"cursor", "Cursor", "com.todesktop.230313mzl4w4u92", 0.28f, 0.28f, 0.34f},
    {"xcode", "Xcode", "com.apple.dt.Xcode", 0.22f, 0.44f, 0.84f},
    {"figma", "Figma", "com.figma.Desktop", 0.55f, 0.35f, 0.85f},
    {"sketch", "Sketch", "com.bohemiancoding.sketch3", 0.90f, 0.60f, 0.12f},
    {"affinityPhoto", "Affinity Photo", "com.seriflabs.affinityphoto2", 0.46f, 0.26f, 0.66f},
    {"affinityDesigner", "Affinity Designer", "com.seriflabs.affinitydesigner2", 0.16f, 0.42f,
     0.72f},
    {"obsidian", "Obsidian", "md.obsidian", 0.44f, 0.36f, 0.80f},
}};

const Entry& entry(Browser browser)
{
    return roster[size_t(Browser::Case(browser))];
}

} // namespace

template <size_t... I>
constexpr std::array<Browser, Browser::count> makeAllCases(std::index_sequence<I...>)
{
    return {Browser(Browser::Case(I))...};
}

const std::array<Browser, Browser::count>& Browser::allCases()
{
    static constexpr std::array<Browser, count> cases =
        makeAllCases(std::make_index_sequence<count>());
    return cases;
}

std::optional<Browser> Browser::fromRawValue(QStringView rawValue)
{
    for (Browser browser : allCases()) {
        if (rawValue == QLatin1String(entry(browser).rawValue))
            return browser;
    }
    return std::nullopt;
}

std::optional<Browser> Browser::from(const std::optional<QString>& bundleID)
{
    if (!bundleID)
        return std::nullopt;
    for (Browser browser : allCases()) {
        if (*bundleID == QLatin1String(entry(browser).bundleID))
            return browser;
    }
    return std::nullopt;
}

QString Browser::rawValue() const
{
    return QLatin1String(entry(*this).rawValue);
}

QString Browser::displayName() const
{
    return QLatin1String(entry(*this).displayName);
}

QString Browser::bundleID() const
{
    return QLatin1String(entry(*this).bundleID);
}

QColor Browser::badgeColor() const
{
    const Entry& e = entry(*this);
    return QColor::fromRgbF(e.red, e.green, e.blue, 1.0f);
}

bool Browser::isInstalled(const Workspace& workspace) const
{
    return workspace.urlForApplication(bundleID()).has_value();
}

QList<Browser> Browser::installed(const Workspace& workspace)
{
    QList<Browser> result;
    for (Browser browser : allCases()) {
        if (browser.isInstalled(workspace))
            result << browser;
    }
    return result;
}

std::optional<Browser::WindowScriptKind> Browser::windowScriptKind() const
{
    switch (m_case) {
    case safari:
        return WindowScriptKind::safari;
    case chrome:
    case edge:
    case brave:
    case vivaldi:
    case opera:
        return WindowScriptKind::chromium;
    case arc:
        return WindowScriptKind::arc;
    case finder:
        return WindowScriptKind::finder;
    case terminal:
    case iterm:
    case pages:
    case numbers:
    case keynote:
        return WindowScriptKind::generic;
    default:
        return std::nullopt;
    }
}

bool Browser::isDocumentApp() const
{
    switch (m_case) {
    case photoshop:
    case illustrator:
    case indesign:
    case acrobat:
        return true;
    default:
        return false;
    }
}

QImage BrowserIconCache::icon(Browser browser)
{
    if (const auto it = m_icons.constFind(browser); it != m_icons.cend())
        return *it;
    const std::optional<QString> path = m_workspace.urlForApplication(browser.bundleID());
    if (!path)
        return {};
    const QImage image = m_workspace.iconForFile(*path);
    m_icons.insert(browser, image);
    return image;
}
