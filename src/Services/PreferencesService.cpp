#include "PreferencesService.h"

#include "Platform/LoginItems.h"
#include "Platform/SystemLog.h"
#include "Platform/UserDefaults.h"

#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>

namespace Key = PreferenceKey;
using PS = PreferencesService;

namespace {

// A stored number, or nothing for a missing value, one of another kind or one
// that is not finite.
std::optional<double> finiteNumber(const UserDefaults& defaults, const QString& key)
{
    const std::optional<double> value = defaults.number(key);
    if (value && std::isfinite(*value))
        return value;
    return std::nullopt;
}

// What each kind of setting loads as, by the rules of its entry.

template <SettingEnumeration E>
E loaded(const UserDefaults& defaults, const ChoiceSetting<E>& setting)
{
    if (const std::optional<QString> text = defaults.string(setting.key)) {
        if (const std::optional<E> value = fromRawValue<E>(*text))
            return *value;
    }
    return setting.defaultValue;
}

bool loaded(const UserDefaults& defaults, const FlagSetting& setting)
{
    return defaults.boolean(setting.key).value_or(setting.defaultValue);
}

QString loaded(const UserDefaults& defaults, const TextSetting& setting)
{
    return defaults.string(setting.key).value_or(setting.defaultValue);
}

QStringList loaded(const UserDefaults& defaults, const TextListSetting& setting)
{
    return defaults.stringList(setting.key).value_or(QStringList());
}

TextMapSetting::Value loaded(const UserDefaults& defaults, const TextMapSetting& setting)
{
    TextMapSetting::Value texts;
    if (const std::optional<QVariantMap> stored = defaults.stringMap(setting.key)) {
        for (auto it = stored->cbegin(); it != stored->cend(); ++it)
            texts.insert(it.key(), it.value().toString());
    }
    return texts;
}

double loaded(const UserDefaults& defaults, const NumberSetting& setting)
{
    if (setting.loading == NumberLoading::clamped) {
        return std::clamp(finiteNumber(defaults, setting.key).value_or(setting.defaultValue),
                          setting.minimum, setting.maximum);
    }
    double number = 0;
    if (const std::optional<double> stored = finiteNumber(defaults, setting.key)) {
        number = *stored;
    } else if (const std::optional<QString> text = defaults.string(setting.key)) {
        bool ok = false;
        const double parsed = text->trimmed().toDouble(&ok);
        if (ok && std::isfinite(parsed))
            number = parsed;
    }
    return number < setting.minimum ? setting.defaultValue : number;
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

// What each kind of setting is stored as.

template <SettingEnumeration E> QVariant storedForm(const ChoiceSetting<E>&, E value)
{
    return rawValue(value);
}

// Numbers, flags and texts as they are.
template <typename Entry> QVariant storedForm(const Entry&, const typename Entry::Value& value)
{
    return value;
}

QVariant storedForm(const TextListSetting&, const QStringList& value)
{
    return textList(value);
}

QVariant storedForm(const TextMapSetting&, const TextMapSetting::Value& value)
{
    QVariantMap stored;
    for (auto it = value.cbegin(); it != value.cend(); ++it)
        stored.insert(it.key(), it.value());
    return stored;
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
    Setting::forEach([this, &wanted](const auto& setting) {
        if (!wanted(setting.key))
            return;
        // A table setting's key names its property.
        const bool known =
            setProperty(setting.key.data(), QVariant::fromValue(loaded(m_defaults, setting)));
        Q_ASSERT(known);
    });
    if (wanted(Key::panelHasCustomCenter) || wanted(Key::panelCustomCenterX) ||
        wanted(Key::panelCustomCenterY)) {
        PanelCenter centre;
        if (m_defaults.boolean(Key::panelHasCustomCenter).value_or(false)) {
            centre = QPointF(finiteNumber(m_defaults, Key::panelCustomCenterX).value_or(0),
                             finiteNumber(m_defaults, Key::panelCustomCenterY).value_or(0));
        }
        setCustomPanelCenter(centre);
    }
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
    m_defaults.remove(Setting::cornerRadius.key);
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

template <typename T, typename Signal>
void PreferencesService::assign(T& member, const T& value, Signal changed, const QString& key,
                                const QVariant& stored)
{
    member = value;
    emit(this->*changed)(value);
    emit settingChanged();
    store(key, stored);
}

template <typename Entry, typename Signal>
void PreferencesService::assign(typename Entry::Value& member, const typename Entry::Value& value,
                                Signal changed, const Entry& setting)
{
    assign(member, value, changed, setting.key, storedForm(setting, value));
}

void PreferencesService::setShortcutPreset(ShortcutPreset value)
{
    assign(m_shortcutPreset, value, &PS::shortcutPresetChanged, Setting::shortcutPreset);
}

void PreferencesService::setCardWidth(double value)
{
    assign(m_cardWidth, value, &PS::cardWidthChanged, Setting::cardWidth);
}

void PreferencesService::setGlassTint(GlassTint value)
{
    assign(m_glassTint, value, &PS::glassTintChanged, Setting::glassTint);
}

void PreferencesService::setSurfaceStyle(SurfaceStyle value)
{
    assign(m_surfaceStyle, value, &PS::surfaceStyleChanged, Setting::surfaceStyle);
}

void PreferencesService::setCornerRadius(double value)
{
    assign(m_cornerRadius, value, &PS::cornerRadiusChanged, Setting::cornerRadius);
}

void PreferencesService::setWindowSpacing(double value)
{
    assign(m_windowSpacing, value, &PS::windowSpacingChanged, Setting::windowSpacing);
}

void PreferencesService::setContainerPadding(double value)
{
    assign(m_containerPadding, value, &PS::containerPaddingChanged, Setting::containerPadding);
}

void PreferencesService::setTintOpacity(double value)
{
    assign(m_tintOpacity, value, &PS::tintOpacityChanged, Setting::tintOpacity);
}

void PreferencesService::setLayoutMode(LayoutMode value)
{
    assign(m_layoutMode, value, &PS::layoutModeChanged, Setting::layoutMode);
}

void PreferencesService::setSortOrder(WindowSortOrder value)
{
    assign(m_sortOrder, value, &PS::sortOrderChanged, Setting::sortOrder);
}

void PreferencesService::setShowProfileBadge(bool value)
{
    assign(m_showProfileBadge, value, &PS::showProfileBadgeChanged, Setting::showProfileBadge);
}

void PreferencesService::setShowWindowPreviews(bool value)
{
    assign(m_showWindowPreviews, value, &PS::showWindowPreviewsChanged,
           Setting::showWindowPreviews);
}

void PreferencesService::setAppearanceMode(AppearanceMode value)
{
    assign(m_appearanceMode, value, &PS::appearanceModeChanged, Setting::appearanceMode);
}

void PreferencesService::setPreferredScreen(const QString& value)
{
    assign(m_preferredScreen, value, &PS::preferredScreenChanged, Setting::preferredScreen);
}

void PreferencesService::setEnhanceCommandBacktick(bool value)
{
    assign(m_enhanceCommandBacktick, value, &PS::enhanceCommandBacktickChanged,
           Setting::enhanceCommandBacktick);
}

void PreferencesService::setProfileColors(const ProfileColors& value)
{
    assign(m_profileColors, value, &PS::profileColorsChanged, Setting::profileColors);
}

void PreferencesService::setKnownProfiles(const QStringList& value)
{
    assign(m_knownProfiles, value, &PS::knownProfilesChanged, Setting::knownProfiles);
}

void PreferencesService::setEnabledBrowsers(const BrowserSet& value)
{
    assign(m_enabledBrowsers, value, &PS::enabledBrowsersChanged, Key::enabledBrowsers,
           storedForm(value));
}

void PreferencesService::setPanelPosition(PanelPosition value)
{
    assign(m_panelPosition, value, &PS::panelPositionChanged, Setting::panelPosition);
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
