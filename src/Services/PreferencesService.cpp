#include "PreferencesService.h"

#include "Platform/LoginItems.h"
#include "Platform/SystemLog.h"
#include "Platform/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace Key = PreferenceKey;

namespace {

template <SettingEnumeration E> E loadEnum(const UserDefaults& defaults, const QString& key)
{
    if (const std::optional<QString> text = defaults.string(key)) {
        if (const std::optional<E> value = fromRawValue<E>(*text))
            return *value;
    }
    return defaultValue<E>();
}

// A stored number, or nothing for a missing value, one of another kind or one
// that is not finite.
std::optional<double> finiteNumber(const UserDefaults& defaults, const QString& key)
{
    const std::optional<double> value = defaults.number(key);
    if (value && std::isfinite(*value))
        return value;
    return std::nullopt;
}

double loadClamped(const UserDefaults& defaults, const QString& key, double fallback, double low,
                   double high)
{
    return std::clamp(finiteNumber(defaults, key).value_or(fallback), low, high);
}

// The card width reads a text such as "300" as a number too; anything that
// reads as no number counts as 0.
double loadCardWidth(const UserDefaults& defaults)
{
    double width = 0;
    if (const std::optional<double> number = finiteNumber(defaults, Key::cardWidth)) {
        width = *number;
    } else if (const std::optional<QString> text = defaults.string(Key::cardWidth)) {
        bool ok = false;
        const double parsed = text->trimmed().toDouble(&ok);
        if (ok && std::isfinite(parsed))
            width = parsed;
    }
    return width < 180 ? 260 : width;
}

QVariantList textList(const QStringList& texts)
{
    QVariantList list;
    list.reserve(texts.size());
    for (const QString& text : texts)
        list << text;
    return list;
}

QStringList rawValues(const QList<Browser>& browsers)
{
    QStringList names;
    for (Browser browser : browsers)
        names << browser.rawValue();
    return names;
}

// The stored form of the enabled apps: raw values in ascending text order.
QVariantList storedForm(const PreferencesService::BrowserSet& browsers)
{
    QStringList names = rawValues(QList<Browser>(browsers.cbegin(), browsers.cend()));
    names.sort();
    return textList(names);
}

QList<Browser> browsersNamed(const QStringList& names)
{
    QList<Browser> browsers;
    for (const QString& name : names) {
        if (const std::optional<Browser> browser = Browser::fromRawValue(name))
            browsers << *browser;
    }
    return browsers;
}

} // namespace

PreferencesService::PreferencesService(UserDefaults& defaults, const Workspace& workspace,
                                       LoginItems& loginItems, SystemLog& systemLog,
                                       QObject* parent)
    : QObject(parent), m_defaults(defaults), m_workspace(workspace), m_loginItems(loginItems),
      m_systemLog(systemLog)
{
    migrate();

    m_shortcutPreset = loadEnum<ShortcutPreset>(m_defaults, Key::shortcutPreset);
    m_cardWidth = loadCardWidth(m_defaults);
    m_glassTint = loadEnum<GlassTint>(m_defaults, Key::glassTint);
    m_tintOpacity = loadClamped(m_defaults, Key::tintOpacity, 0.4, 0, 1);
    m_surfaceStyle = loadEnum<SurfaceStyle>(m_defaults, Key::surfaceStyle);
    m_cornerRadius = loadClamped(m_defaults, Key::cornerRadius, 26, 0, 40);
    m_windowSpacing = loadClamped(m_defaults, Key::windowSpacing, 16, 4, 40);
    m_containerPadding = loadClamped(m_defaults, Key::containerPadding, 24, 8, 48);
    m_layoutMode = loadEnum<LayoutMode>(m_defaults, Key::layoutMode);
    m_sortOrder = loadEnum<WindowSortOrder>(m_defaults, Key::sortOrder);
    m_showProfileBadge = m_defaults.boolean(Key::showProfileBadge).value_or(true);
    m_showWindowPreviews = m_defaults.boolean(Key::showWindowPreviews).value_or(true);
    m_appearanceMode = loadEnum<AppearanceMode>(m_defaults, Key::appearanceMode);
    m_enhanceCommandBacktick = m_defaults.boolean(Key::enhanceCommandBacktick).value_or(true);

    loadEnabledBrowsers();
    QList<Browser> roster(Browser::allCases().begin(), Browser::allCases().end());
    m_defaults.set(Key::offeredApps, textList(rawValues(roster)));

    m_panelPosition = loadEnum<PanelPosition>(m_defaults, Key::panelPosition);
    m_preferredScreen = m_defaults.string(Key::preferredScreen).value_or(QStringLiteral("active"));

    if (m_defaults.boolean(Key::panelHasCustomCenter).value_or(false)) {
        m_customPanelCenter =
            QPointF(finiteNumber(m_defaults, Key::panelCustomCenterX).value_or(0),
                    finiteNumber(m_defaults, Key::panelCustomCenterY).value_or(0));
    }

    if (const std::optional<QVariantMap> colors = m_defaults.stringMap(Key::profileColors)) {
        for (auto it = colors->cbegin(); it != colors->cend(); ++it)
            m_profileColors.insert(it.key(), it.value().toString());
    }
    m_knownProfiles = m_defaults.stringList(Key::knownProfiles).value_or(QStringList());

    m_launchAtLogin = m_loginItems.status() == LoginItemStatus::enabled;
    m_isLoading = false;
}

// A corner radius stored before the radius meant the container's is dropped
// once, so the new default applies.
void PreferencesService::migrate()
{
    if (m_defaults.object(Key::containerRadiusMigrated).isValid())
        return;
    m_defaults.remove(Key::cornerRadius);
    m_defaults.set(Key::containerRadiusMigrated, true);
}

// With no readable selection every installed app is enabled, at every start
// until the user chooses. Otherwise the stored selection stands, plus every
// installed app that the last start did not offer yet (one new to the roster).
// Such an addition is stored at once: the next start records every app as
// offered, so an addition kept only in memory would be lost there.
void PreferencesService::loadEnabledBrowsers()
{
    const QList<Browser> installed = Browser::installed(m_workspace);
    const std::optional<QStringList> stored = m_defaults.stringList(Key::enabledBrowsers);
    if (!stored) {
        m_enabledBrowsers = BrowserSet(installed.cbegin(), installed.cend());
        return;
    }
    const QList<Browser> chosen = browsersNamed(*stored);
    m_enabledBrowsers = BrowserSet(chosen.cbegin(), chosen.cend());
    const QList<Browser> offered =
        browsersNamed(m_defaults.stringList(Key::offeredApps).value_or(QStringList()));
    const qsizetype chosenCount = m_enabledBrowsers.size();
    for (Browser browser : installed) {
        if (!offered.contains(browser))
            m_enabledBrowsers.insert(browser);
    }
    if (m_enabledBrowsers.size() != chosenCount)
        m_defaults.set(Key::enabledBrowsers, storedForm(m_enabledBrowsers));
}

void PreferencesService::store(const QString& key, const QVariant& value)
{
    if (!m_isLoading)
        m_defaults.set(key, value);
}

template <typename T, typename Arg>
void PreferencesService::assign(T& member, const T& value, void (PreferencesService::*changed)(Arg),
                                const QString& key, const QVariant& stored)
{
    member = value;
    emit(this->*changed)(value);
    emit settingChanged();
    store(key, stored);
}

void PreferencesService::setShortcutPreset(ShortcutPreset value)
{
    assign(m_shortcutPreset, value, &PreferencesService::shortcutPresetChanged, Key::shortcutPreset,
           rawValue(value));
}

void PreferencesService::setCardWidth(double value)
{
    assign(m_cardWidth, value, &PreferencesService::cardWidthChanged, Key::cardWidth, value);
}

void PreferencesService::setGlassTint(GlassTint value)
{
    assign(m_glassTint, value, &PreferencesService::glassTintChanged, Key::glassTint,
           rawValue(value));
}

void PreferencesService::setSurfaceStyle(SurfaceStyle value)
{
    assign(m_surfaceStyle, value, &PreferencesService::surfaceStyleChanged, Key::surfaceStyle,
           rawValue(value));
}

void PreferencesService::setCornerRadius(double value)
{
    assign(m_cornerRadius, value, &PreferencesService::cornerRadiusChanged, Key::cornerRadius,
           value);
}

void PreferencesService::setWindowSpacing(double value)
{
    assign(m_windowSpacing, value, &PreferencesService::windowSpacingChanged, Key::windowSpacing,
           value);
}

void PreferencesService::setContainerPadding(double value)
{
    assign(m_containerPadding, value, &PreferencesService::containerPaddingChanged,
           Key::containerPadding, value);
}

void PreferencesService::setTintOpacity(double value)
{
    assign(m_tintOpacity, value, &PreferencesService::tintOpacityChanged, Key::tintOpacity, value);
}

void PreferencesService::setLayoutMode(LayoutMode value)
{
    assign(m_layoutMode, value, &PreferencesService::layoutModeChanged, Key::layoutMode,
           rawValue(value));
}

void PreferencesService::setSortOrder(WindowSortOrder value)
{
    assign(m_sortOrder, value, &PreferencesService::sortOrderChanged, Key::sortOrder,
           rawValue(value));
}

void PreferencesService::setShowProfileBadge(bool value)
{
    assign(m_showProfileBadge, value, &PreferencesService::showProfileBadgeChanged,
           Key::showProfileBadge, value);
}

void PreferencesService::setShowWindowPreviews(bool value)
{
    assign(m_showWindowPreviews, value, &PreferencesService::showWindowPreviewsChanged,
           Key::showWindowPreviews, value);
}

void PreferencesService::setAppearanceMode(AppearanceMode value)
{
    assign(m_appearanceMode, value, &PreferencesService::appearanceModeChanged, Key::appearanceMode,
           rawValue(value));
}

void PreferencesService::setPreferredScreen(const QString& value)
{
    assign(m_preferredScreen, value, &PreferencesService::preferredScreenChanged,
           Key::preferredScreen, value);
}

void PreferencesService::setEnhanceCommandBacktick(bool value)
{
    assign(m_enhanceCommandBacktick, value, &PreferencesService::enhanceCommandBacktickChanged,
           Key::enhanceCommandBacktick, value);
}

void PreferencesService::setEnabledBrowsers(const BrowserSet& value)
{
    m_enabledBrowsers = value;
    emit enabledBrowsersChanged(value);
    emit settingChanged();
    store(Key::enabledBrowsers, storedForm(value));
}

void PreferencesService::setPanelPosition(PanelPosition value)
{
    m_panelPosition = value;
    emit panelPositionChanged(value);
    emit settingChanged();
    store(Key::panelPosition, rawValue(value));
    if (!m_isLoading)
        setCustomPanelCenter(std::nullopt);
}

// Clearing keeps the old coordinates; they are ignored while the flag is false.
void PreferencesService::setCustomPanelCenter(const PanelCenter& value)
{
    m_customPanelCenter = value;
    emit customPanelCenterChanged(value);
    emit settingChanged();
    if (value) {
        store(Key::panelCustomCenterX, value->x());
        store(Key::panelCustomCenterY, value->y());
    }
    store(Key::panelHasCustomCenter, value.has_value());
}

void PreferencesService::setProfileColors(const ProfileColors& value)
{
    m_profileColors = value;
    emit profileColorsChanged(value);
    emit settingChanged();
    QVariantMap stored;
    for (auto it = value.cbegin(); it != value.cend(); ++it)
        stored.insert(it.key(), it.value());
    store(Key::profileColors, stored);
}

void PreferencesService::setKnownProfiles(const QStringList& value)
{
    m_knownProfiles = value;
    emit knownProfilesChanged(value);
    emit settingChanged();
    store(Key::knownProfiles, textList(value));
}

void PreferencesService::setLaunchAtLogin(bool value)
{
    const bool old = m_launchAtLogin;
    m_launchAtLogin = value;
    emit launchAtLoginChanged(value);
    emit settingChanged();
    if (m_isLoading || value == old)
        return;
    const std::optional<LoginItemError> error =
        value ? m_loginItems.registerMainApp() : m_loginItems.unregisterMainApp();
    if (!error)
        return;
    m_systemLog.log(QStringLiteral("Launch at login change failed: ") + error->description);
    // Put the old value back without trying the registration again.
    m_isLoading = true;
    setLaunchAtLogin(old);
    m_isLoading = false;
}

QList<Browser> PreferencesService::enabledBrowsersOrdered() const
{
    QList<Browser> ordered;
    for (Browser browser : Browser::allCases()) {
        if (m_enabledBrowsers.contains(browser))
            ordered << browser;
    }
    return ordered;
}

void PreferencesService::noteProfiles(const QStringList& names)
{
    QSet<QString> fresh(names.cbegin(), names.cend());
    for (const QString& known : std::as_const(m_knownProfiles))
        fresh.remove(known);
    fresh.remove(QString());
    if (fresh.isEmpty())
        return;
    QStringList profiles = m_knownProfiles + QStringList(fresh.cbegin(), fresh.cend());
    profiles.sort();
    setKnownProfiles(profiles);
}
