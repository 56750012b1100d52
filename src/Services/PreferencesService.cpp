#include "PreferencesService.h"

#include "Platform/LoginItems.h"
#include "Platform/SystemLog.h"
#include "Platform/UserDefaults.h"

#include <QScopedValueRollback>

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
    // Queued, so that a setting loads again once the assignment whose write
    // took the edit in has finished, never halfway through it (the custom
    // centre is three writes). Connected first, so that an edit taken in by
    // one of the writes below counts too.
    connect(&m_defaults, &UserDefaults::changedOutside, this,
            &PreferencesService::loadChangedOutside, Qt::QueuedConnection);
    migrate();
    loadStored([](const QString&) { return true; });

    // Installed apps that joined the selection are stored at once: the next
    // start records every app as offered, so an addition kept only in memory
    // would be lost there.
    const EnabledApps enabled = storedEnabledBrowsers();
    m_enabledBrowsers = enabled.apps;
    if (enabled.joined)
        m_defaults.set(Key::enabledBrowsers, storedForm(m_enabledBrowsers));
    QList<Browser> roster(Browser::allCases().begin(), Browser::allCases().end());
    m_defaults.set(Key::offeredApps, textList(rawValues(roster)));

    m_launchAtLogin = m_loginItems.status() == LoginItemStatus::enabled;
    m_isLoading = false;
}

// Loads the settings stored under the keys that `wanted` accepts, with their
// defaults and clamps, each through its setter so that it announces itself.
// The caller has set m_isLoading, so nothing is written back.
void PreferencesService::loadStored(const std::function<bool(const QString&)>& wanted)
{
    if (wanted(Key::shortcutPreset))
        setShortcutPreset(loadEnum<ShortcutPreset>(m_defaults, Key::shortcutPreset));
    if (wanted(Key::cardWidth))
        setCardWidth(loadCardWidth(m_defaults));
    if (wanted(Key::glassTint))
        setGlassTint(loadEnum<GlassTint>(m_defaults, Key::glassTint));
    if (wanted(Key::tintOpacity))
        setTintOpacity(loadClamped(m_defaults, Key::tintOpacity, 0.4, 0, 1));
    if (wanted(Key::surfaceStyle))
        setSurfaceStyle(loadEnum<SurfaceStyle>(m_defaults, Key::surfaceStyle));
    if (wanted(Key::cornerRadius))
        setCornerRadius(loadClamped(m_defaults, Key::cornerRadius, 26, 0, 40));
    if (wanted(Key::windowSpacing))
        setWindowSpacing(loadClamped(m_defaults, Key::windowSpacing, 16, 4, 40));
    if (wanted(Key::containerPadding))
        setContainerPadding(loadClamped(m_defaults, Key::containerPadding, 24, 8, 48));
    if (wanted(Key::layoutMode))
        setLayoutMode(loadEnum<LayoutMode>(m_defaults, Key::layoutMode));
    if (wanted(Key::sortOrder))
        setSortOrder(loadEnum<WindowSortOrder>(m_defaults, Key::sortOrder));
    if (wanted(Key::showProfileBadge))
        setShowProfileBadge(m_defaults.boolean(Key::showProfileBadge).value_or(true));
    if (wanted(Key::showWindowPreviews))
        setShowWindowPreviews(m_defaults.boolean(Key::showWindowPreviews).value_or(true));
    if (wanted(Key::appearanceMode))
        setAppearanceMode(loadEnum<AppearanceMode>(m_defaults, Key::appearanceMode));
    if (wanted(Key::enhanceCommandBacktick))
        setEnhanceCommandBacktick(m_defaults.boolean(Key::enhanceCommandBacktick).value_or(true));
    if (wanted(Key::panelPosition))
        setPanelPosition(loadEnum<PanelPosition>(m_defaults, Key::panelPosition));
    if (wanted(Key::preferredScreen))
        setPreferredScreen(
            m_defaults.string(Key::preferredScreen).value_or(QStringLiteral("active")));
    if (wanted(Key::panelHasCustomCenter) || wanted(Key::panelCustomCenterX) ||
        wanted(Key::panelCustomCenterY)) {
        PanelCenter centre;
        if (m_defaults.boolean(Key::panelHasCustomCenter).value_or(false)) {
            centre = QPointF(finiteNumber(m_defaults, Key::panelCustomCenterX).value_or(0),
                             finiteNumber(m_defaults, Key::panelCustomCenterY).value_or(0));
        }
        setCustomPanelCenter(centre);
    }
    if (wanted(Key::profileColors)) {
        ProfileColors colors;
        if (const std::optional<QVariantMap> stored = m_defaults.stringMap(Key::profileColors)) {
            for (auto it = stored->cbegin(); it != stored->cend(); ++it)
                colors.insert(it.key(), it.value().toString());
        }
        setProfileColors(colors);
    }
    if (wanted(Key::knownProfiles))
        setKnownProfiles(m_defaults.stringList(Key::knownProfiles).value_or(QStringList()));
}

// Someone else changed these keys in the settings file: their settings load
// again, as at start, from what the defaults hold now, and are not written back.
void PreferencesService::loadChangedOutside(const QStringList& keys)
{
    const QScopedValueRollback loading(m_isLoading, true);
    loadStored([&keys](const QString& key) { return keys.contains(key); });
    if (keys.contains(Key::enabledBrowsers) || keys.contains(Key::offeredApps))
        setEnabledBrowsers(storedEnabledBrowsers().apps);
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
PreferencesService::EnabledApps PreferencesService::storedEnabledBrowsers() const
{
    const QList<Browser> installed = Browser::installed(m_workspace);
    const std::optional<QStringList> stored = m_defaults.stringList(Key::enabledBrowsers);
    if (!stored)
        return {BrowserSet(installed.cbegin(), installed.cend()), false};
    const QList<Browser> chosen = browsersNamed(*stored);
    EnabledApps enabled{BrowserSet(chosen.cbegin(), chosen.cend()), false};
    const QList<Browser> offered =
        browsersNamed(m_defaults.stringList(Key::offeredApps).value_or(QStringList()));
    for (Browser browser : installed) {
        if (!offered.contains(browser) && !enabled.apps.contains(browser)) {
            enabled.apps.insert(browser);
            enabled.joined = true;
        }
    }
    return enabled;
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
