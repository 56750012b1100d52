#pragma once

#include "Models/Browser.h"
#include "Models/SettingEnums.h"
#include "Models/SettingTable.h"

#include <QMap>
#include <QObject>
#include <QPointF>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class LoginItems;
class SystemLog;
class UserDefaults;
class Workspace;

// The settings store. Every setting is read at construction, with its
// default, clamp and the one-time migration applied; afterwards each setter
// writes its value back at once. The settings declared in SettingTable.h load
// and are stored by their entries there; the others have rules of their own.
// When the defaults report values changed outside the program (a hand edit of
// the settings file), the settings stored under those keys load again the
// same way, announce themselves and are not written back.
//
// Every assignment announces itself through the setting's change signal, also
// when the value did not change, and is written back. Main thread only.
class PreferencesService : public QObject {
    Q_OBJECT
public:
    using BrowserSet = QSet<Browser>;
    using ProfileColors = TextMapSetting::Value; // profile name -> "RRGGBB"
    using PanelCenter = std::optional<QPointF>;

private:
    Q_PROPERTY(ShortcutPreset shortcutPreset READ shortcutPreset WRITE setShortcutPreset NOTIFY
                   shortcutPresetChanged)
    Q_PROPERTY(double cardWidth READ cardWidth WRITE setCardWidth NOTIFY cardWidthChanged)
    Q_PROPERTY(GlassTint glassTint READ glassTint WRITE setGlassTint NOTIFY glassTintChanged)
    Q_PROPERTY(SurfaceStyle surfaceStyle READ surfaceStyle WRITE setSurfaceStyle NOTIFY
                   surfaceStyleChanged)
    Q_PROPERTY(
        double cornerRadius READ cornerRadius WRITE setCornerRadius NOTIFY cornerRadiusChanged)
    Q_PROPERTY(
        double windowSpacing READ windowSpacing WRITE setWindowSpacing NOTIFY windowSpacingChanged)
    Q_PROPERTY(double containerPadding READ containerPadding WRITE setContainerPadding NOTIFY
                   containerPaddingChanged)
    Q_PROPERTY(double tintOpacity READ tintOpacity WRITE setTintOpacity NOTIFY tintOpacityChanged)
    Q_PROPERTY(LayoutMode layoutMode READ layoutMode WRITE setLayoutMode NOTIFY layoutModeChanged)
    Q_PROPERTY(WindowSortOrder sortOrder READ sortOrder WRITE setSortOrder NOTIFY sortOrderChanged)
    Q_PROPERTY(bool showProfileBadge READ showProfileBadge WRITE setShowProfileBadge NOTIFY
                   showProfileBadgeChanged)
    Q_PROPERTY(bool showWindowPreviews READ showWindowPreviews WRITE setShowWindowPreviews NOTIFY
                   showWindowPreviewsChanged)
    Q_PROPERTY(AppearanceMode appearanceMode READ appearanceMode WRITE setAppearanceMode NOTIFY
                   appearanceModeChanged)
    Q_PROPERTY(QString preferredScreen READ preferredScreen WRITE setPreferredScreen NOTIFY
                   preferredScreenChanged)
    Q_PROPERTY(bool enhanceCommandBacktick READ enhanceCommandBacktick WRITE
                   setEnhanceCommandBacktick NOTIFY enhanceCommandBacktickChanged)
    Q_PROPERTY(BrowserSet enabledBrowsers READ enabledBrowsers WRITE setEnabledBrowsers NOTIFY
                   enabledBrowsersChanged)
    Q_PROPERTY(PanelPosition panelPosition READ panelPosition WRITE setPanelPosition NOTIFY
                   panelPositionChanged)
    Q_PROPERTY(PanelCenter customPanelCenter READ customPanelCenter WRITE setCustomPanelCenter
                   NOTIFY customPanelCenterChanged)
    Q_PROPERTY(ProfileColors profileColors READ profileColors WRITE setProfileColors NOTIFY
                   profileColorsChanged)
    Q_PROPERTY(QStringList knownProfiles READ knownProfiles WRITE setKnownProfiles NOTIFY
                   knownProfilesChanged)
    Q_PROPERTY(
        bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)

public:
    // Loads every setting; writes only the two bookkeeping keys, and the
    // enabled apps when installed apps not offered before join them.
    PreferencesService(UserDefaults& defaults, const Workspace& workspace, LoginItems& loginItems,
                       SystemLog& systemLog, QObject* parent = nullptr);

    ShortcutPreset shortcutPreset() const { return m_shortcutPreset; }
    double cardWidth() const { return m_cardWidth; }
    GlassTint glassTint() const { return m_glassTint; }
    SurfaceStyle surfaceStyle() const { return m_surfaceStyle; }
    double cornerRadius() const { return m_cornerRadius; }
    double windowSpacing() const { return m_windowSpacing; }
    double containerPadding() const { return m_containerPadding; }
    double tintOpacity() const { return m_tintOpacity; }
    LayoutMode layoutMode() const { return m_layoutMode; }
    WindowSortOrder sortOrder() const { return m_sortOrder; }
    bool showProfileBadge() const { return m_showProfileBadge; }
    bool showWindowPreviews() const { return m_showWindowPreviews; }
    AppearanceMode appearanceMode() const { return m_appearanceMode; }
    // "active", "primary" or a screen's localized name.
    QString preferredScreen() const { return m_preferredScreen; }
    bool enhanceCommandBacktick() const { return m_enhanceCommandBacktick; }
    BrowserSet enabledBrowsers() const { return m_enabledBrowsers; }
    PanelPosition panelPosition() const { return m_panelPosition; }
    PanelCenter customPanelCenter() const { return m_customPanelCenter; }
    ProfileColors profileColors() const { return m_profileColors; }
    QStringList knownProfiles() const { return m_knownProfiles; }
    bool launchAtLogin() const { return m_launchAtLogin; }

    void setShortcutPreset(ShortcutPreset value);
    // The numbers are stored as given; their clamps apply only when loading.
    void setCardWidth(double value);
    void setGlassTint(GlassTint value);
    void setSurfaceStyle(SurfaceStyle value);
    void setCornerRadius(double value);
    void setWindowSpacing(double value);
    void setContainerPadding(double value);
    void setTintOpacity(double value);
    void setLayoutMode(LayoutMode value);
    void setSortOrder(WindowSortOrder value);
    void setShowProfileBadge(bool value);
    void setShowWindowPreviews(bool value);
    void setAppearanceMode(AppearanceMode value);
    void setPreferredScreen(const QString& value);
    void setEnhanceCommandBacktick(bool value);
    void setEnabledBrowsers(const BrowserSet& value);
    // Also forgets the dragged position, even when the position is unchanged.
    void setPanelPosition(PanelPosition value);
    void setCustomPanelCenter(const PanelCenter& value);
    void setProfileColors(const ProfileColors& value);
    void setKnownProfiles(const QStringList& value);
    // Registers or unregisters the login item; a failure is logged and the
    // property returns to its old value.
    void setLaunchAtLogin(bool value);

    // The enabled apps in roster order: every ordered walk over them uses this.
    QList<Browser> enabledBrowsersOrdered() const;
    // Adds the names not known yet; assigns nothing when none is new.
    void noteProfiles(const QStringList& names);

signals:
    void shortcutPresetChanged(ShortcutPreset value);
    void cardWidthChanged(double value);
    void glassTintChanged(GlassTint value);
    void surfaceStyleChanged(SurfaceStyle value);
    void cornerRadiusChanged(double value);
    void windowSpacingChanged(double value);
    void containerPaddingChanged(double value);
    void tintOpacityChanged(double value);
    void layoutModeChanged(LayoutMode value);
    void sortOrderChanged(WindowSortOrder value);
    void showProfileBadgeChanged(bool value);
    void showWindowPreviewsChanged(bool value);
    void appearanceModeChanged(AppearanceMode value);
    void preferredScreenChanged(const QString& value);
    void enhanceCommandBacktickChanged(bool value);
    void enabledBrowsersChanged(const PreferencesService::BrowserSet& value);
    void panelPositionChanged(PanelPosition value);
    void customPanelCenterChanged(const PreferencesService::PanelCenter& value);
    void profileColorsChanged(const PreferencesService::ProfileColors& value);
    void knownProfilesChanged(const QStringList& value);
    void launchAtLoginChanged(bool value);
    // After any setting's own announcement: for views that read several
    // settings, or things beside the settings, whenever the store changes.
    void settingChanged();

private:
    struct EnabledApps {
        BrowserSet apps;
        bool joined = false; // installed apps not offered before were added
    };

    void migrate();
    void loadStored(const std::function<bool(const QString&)>& wanted);
    void loadChangedOutside(const QStringList& keys);
    EnabledApps storedEnabledBrowsers() const;
    void store(const QString& key, const QVariant& value);
    // Stores the value, announces it and writes its stored form back.
    template <typename T, typename Signal>
    void assign(T& member, const T& value, Signal changed, const QString& key,
                const QVariant& stored);
    // The same for a setting of the table, stored under its key in its form.
    template <typename Entry, typename Signal>
    void assign(typename Entry::Value& member, const typename Entry::Value& value, Signal changed,
                const Entry& setting);

    UserDefaults& m_defaults;
    const Workspace& m_workspace;
    LoginItems& m_loginItems;
    SystemLog& m_systemLog;
    bool m_isLoading = true;

    ShortcutPreset m_shortcutPreset = Setting::shortcutPreset.defaultValue;
    double m_cardWidth = Setting::cardWidth.defaultValue;
    GlassTint m_glassTint = Setting::glassTint.defaultValue;
    SurfaceStyle m_surfaceStyle = Setting::surfaceStyle.defaultValue;
    double m_cornerRadius = Setting::cornerRadius.defaultValue;
    double m_windowSpacing = Setting::windowSpacing.defaultValue;
    double m_containerPadding = Setting::containerPadding.defaultValue;
    double m_tintOpacity = Setting::tintOpacity.defaultValue;
    LayoutMode m_layoutMode = Setting::layoutMode.defaultValue;
    WindowSortOrder m_sortOrder = Setting::sortOrder.defaultValue;
    bool m_showProfileBadge = Setting::showProfileBadge.defaultValue;
    bool m_showWindowPreviews = Setting::showWindowPreviews.defaultValue;
    AppearanceMode m_appearanceMode = Setting::appearanceMode.defaultValue;
    QString m_preferredScreen = Setting::preferredScreen.defaultValue;
    bool m_enhanceCommandBacktick = Setting::enhanceCommandBacktick.defaultValue;
    BrowserSet m_enabledBrowsers;
    PanelPosition m_panelPosition = Setting::panelPosition.defaultValue;
    PanelCenter m_customPanelCenter;
    ProfileColors m_profileColors;
    QStringList m_knownProfiles;
    bool m_launchAtLogin = false;
};

// The defaults keys of the settings with rules of their own, and of the
// store's bookkeeping; the others are in SettingTable.h.
namespace PreferenceKey {
inline const QString enabledBrowsers = QStringLiteral("enabledBrowsers");
inline const QString panelHasCustomCenter = QStringLiteral("panelHasCustomCenter");
inline const QString panelCustomCenterX = QStringLiteral("panelCustomCenterX");
inline const QString panelCustomCenterY = QStringLiteral("panelCustomCenterY");
inline const QString offeredApps = QStringLiteral("offeredApps");
inline const QString containerRadiusMigrated = QStringLiteral("containerRadiusMigrated");
} // namespace PreferenceKey
