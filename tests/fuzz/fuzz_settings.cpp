// The settings file and the preferences store's loading.
//
// The input is: four bytes naming the installed apps (one bit per roster
// app), one byte of login-item behaviour, two bytes of file length, the
// settings file's bytes, then settings to assign, each with a value within
// its documented range.
//
// Properties beyond not crashing:
// - whatever the file holds, every setting loads within its documented range,
//   and the loaded store has recorded every app as offered;
// - after the assignments, a second start from the same file loads exactly
//   what the first store held: values read back unchanged (texts up to their
//   UTF-8 form, which cannot carry a lone surrogate), and a load that adds
//   apps keeps them.

#include "FuzzInput.h"
#include "Models/ColorHex.h"
#include "Platform/Live/JsonUserDefaults.h"
#include "Platform/Sim/SimHost.h"
#include "Platform/Sim/SimLoginItems.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Platform/Sim/SimSystemLog.h"
#include "Platform/Sim/SimWorkspace.h"
#include "Services/PreferencesService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>

namespace {

// What a text is after a trip through the UTF-8 file.
QString stored(const QString& text)
{
    return QString::fromUtf8(text.toUtf8());
}

QStringList stored(const QStringList& texts)
{
    QStringList result;
    for (const QString& text : texts)
        result << stored(text);
    return result;
}

struct Settings {
    ShortcutPreset shortcutPreset;
    double cardWidth, cornerRadius, windowSpacing, containerPadding, tintOpacity;
    GlassTint glassTint;
    SurfaceStyle surfaceStyle;
    LayoutMode layoutMode;
    WindowSortOrder sortOrder;
    bool showProfileBadge, showWindowPreviews, enhanceCommandBacktick, launchAtLogin;
    AppearanceMode appearanceMode;
    QString preferredScreen;
    PreferencesService::BrowserSet enabledBrowsers;
    PanelPosition panelPosition;
    PreferencesService::PanelCenter customPanelCenter;
    PreferencesService::ProfileColors profileColors;
    QStringList knownProfiles;

    explicit Settings(const PreferencesService& p)
        : shortcutPreset(p.shortcutPreset()), cardWidth(p.cardWidth()),
          cornerRadius(p.cornerRadius()), windowSpacing(p.windowSpacing()),
          containerPadding(p.containerPadding()), tintOpacity(p.tintOpacity()),
          glassTint(p.glassTint()), surfaceStyle(p.surfaceStyle()), layoutMode(p.layoutMode()),
          sortOrder(p.sortOrder()), showProfileBadge(p.showProfileBadge()),
          showWindowPreviews(p.showWindowPreviews()),
          enhanceCommandBacktick(p.enhanceCommandBacktick()), launchAtLogin(p.launchAtLogin()),
          appearanceMode(p.appearanceMode()), preferredScreen(stored(p.preferredScreen())),
          enabledBrowsers(p.enabledBrowsers()), panelPosition(p.panelPosition()),
          customPanelCenter(p.customPanelCenter()), knownProfiles(stored(p.knownProfiles()))
    {
        const PreferencesService::ProfileColors colors = p.profileColors();
        for (auto it = colors.cbegin(); it != colors.cend(); ++it)
            profileColors.insert(stored(it.key()), stored(it.value()));
    }

    // What differs from the other, as text; empty when nothing does.
    QString difference(const Settings& o) const
    {
        QStringList names;
        const auto note = [&](bool same, const char* name) {
            if (!same)
                names << QLatin1String(name);
        };
        note(shortcutPreset == o.shortcutPreset, "shortcutPreset");
        note(cardWidth == o.cardWidth, "cardWidth");
        note(cornerRadius == o.cornerRadius, "cornerRadius");
        note(windowSpacing == o.windowSpacing, "windowSpacing");
        note(containerPadding == o.containerPadding, "containerPadding");
        note(tintOpacity == o.tintOpacity, "tintOpacity");
        note(glassTint == o.glassTint, "glassTint");
        note(surfaceStyle == o.surfaceStyle, "surfaceStyle");
        note(layoutMode == o.layoutMode, "layoutMode");
        note(sortOrder == o.sortOrder, "sortOrder");
        note(showProfileBadge == o.showProfileBadge, "showProfileBadge");
        note(showWindowPreviews == o.showWindowPreviews, "showWindowPreviews");
        note(enhanceCommandBacktick == o.enhanceCommandBacktick, "enhanceCommandBacktick");
        note(launchAtLogin == o.launchAtLogin, "launchAtLogin");
        note(appearanceMode == o.appearanceMode, "appearanceMode");
        note(preferredScreen == o.preferredScreen, "preferredScreen");
        note(enabledBrowsers == o.enabledBrowsers, "enabledBrowsers");
        note(panelPosition == o.panelPosition, "panelPosition");
        note(customPanelCenter == o.customPanelCenter, "customPanelCenter");
        note(profileColors == o.profileColors, "profileColors");
        note(knownProfiles == o.knownProfiles, "knownProfiles");
        return names.join(QStringLiteral(", "));
    }
};

bool within(double value, double low, double high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

void checkRanges(const PreferencesService& p, const UserDefaults& defaults)
{
    FUZZ_CHECK(std::isfinite(p.cardWidth()) && p.cardWidth() >= 180,
               QStringLiteral("cardWidth %1").arg(p.cardWidth()));
    FUZZ_CHECK(within(p.tintOpacity(), 0, 1),
               QStringLiteral("tintOpacity %1").arg(p.tintOpacity()));
    FUZZ_CHECK(within(p.cornerRadius(), 0, 40),
               QStringLiteral("cornerRadius %1").arg(p.cornerRadius()));
    FUZZ_CHECK(within(p.windowSpacing(), 4, 40),
               QStringLiteral("windowSpacing %1").arg(p.windowSpacing()));
    FUZZ_CHECK(within(p.containerPadding(), 8, 48),
               QStringLiteral("containerPadding %1").arg(p.containerPadding()));
    if (const PreferencesService::PanelCenter centre = p.customPanelCenter())
        FUZZ_CHECK(std::isfinite(centre->x()) && std::isfinite(centre->y()),
                   QStringLiteral("custom centre (%1, %2)").arg(centre->x()).arg(centre->y()));
    FUZZ_CHECK(defaults.stringList(PreferenceKey::offeredApps).value_or(QStringList()).size() ==
                       Browser::count &&
                   defaults.boolean(PreferenceKey::containerRadiusMigrated) == true,
               QStringLiteral("bookkeeping not recorded"));
}

double inRange(FuzzInput& input, double low, double high)
{
    switch (input.range(0, 3)) {
    case 0:
        return low;
    case 1:
        return high;
    default:
        return low + (high - low) * (double(input.u32()) / double(UINT32_MAX));
    }
}

template <SettingEnumeration E> E anyCase(FuzzInput& input)
{
    constexpr auto cases = allCases<E>();
    return cases[input.range(0, int(cases.size()) - 1)];
}

PreferencesService::BrowserSet appsFrom(uint32_t bits)
{
    PreferencesService::BrowserSet apps;
    for (Browser browser : Browser::allCases()) {
        if (bits & (1u << int(Browser::Case(browser))))
            apps.insert(browser);
    }
    return apps;
}

void assignOne(PreferencesService& p, FuzzInput& input)
{
    switch (input.range(0, 21)) {
    case 0:
        return p.setShortcutPreset(anyCase<ShortcutPreset>(input));
    case 1:
        return p.setCardWidth(input.flag() ? inRange(input, 180, 2000)
                                           : 180 + std::abs(input.finiteDouble()));
    case 2:
        return p.setGlassTint(anyCase<GlassTint>(input));
    case 3:
        return p.setSurfaceStyle(anyCase<SurfaceStyle>(input));
    case 4:
        return p.setCornerRadius(inRange(input, 0, 40));
    case 5:
        return p.setWindowSpacing(inRange(input, 4, 40));
    case 6:
        return p.setContainerPadding(inRange(input, 8, 48));
    case 7:
        return p.setTintOpacity(inRange(input, 0, 1));
    case 8:
        return p.setLayoutMode(anyCase<LayoutMode>(input));
    case 9:
        return p.setSortOrder(anyCase<WindowSortOrder>(input));
    case 10:
        return p.setShowProfileBadge(input.flag());
    case 11:
        return p.setShowWindowPreviews(input.flag());
    case 12:
        return p.setAppearanceMode(anyCase<AppearanceMode>(input));
    case 13:
        return p.setPreferredScreen(input.textOrWord({"active", "primary", "DELL U2720Q"}));
    case 14:
        return p.setEnhanceCommandBacktick(input.flag());
    case 15:
        return p.setEnabledBrowsers(appsFrom(input.u32()));
    case 16:
        return p.setPanelPosition(anyCase<PanelPosition>(input));
    case 17:
        return p.setCustomPanelCenter(input.flag()
                                          ? PreferencesService::PanelCenter(
                                                QPointF(input.finiteDouble(), input.finiteDouble()))
                                          : std::nullopt);
    case 18: {
        PreferencesService::ProfileColors colors;
        for (int n = input.range(0, 3); n > 0; --n) {
            const QColor color(input.byte(), input.byte(), input.byte());
            colors.insert(input.textOrWord({"Work", "Home", ""}), *toHex(color));
        }
        return p.setProfileColors(colors);
    }
    case 19: {
        QStringList names;
        for (int n = input.range(0, 3); n > 0; --n)
            names << input.textOrWord({"Work", "Home", ""});
        return input.flag() ? p.setKnownProfiles(names) : p.noteProfiles(names);
    }
    case 20:
        return p.setLaunchAtLogin(input.flag());
    default:
        return p.setEnabledBrowsers({});
    }
}

const QString& settingsFolder()
{
    static QTemporaryDir folder;
    static const QString path = folder.path();
    return path;
}

// A damaged file is moved aside next to it; each case starts with an empty folder.
void emptyFolder(const QString& path)
{
    QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        folder.remove(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureFuzzApplication();
    FuzzInput input(data, size);
    const uint32_t installedBits = input.u32();
    const uint8_t loginBehaviour = input.byte();
    const int fileLength = (input.byte() << 8) | input.byte();
    QByteArray file;
    for (int i = 0; i < fileLength && !input.atEnd(); ++i)
        file += char(input.byte());

    emptyFolder(settingsFolder());
    const QString path = settingsFolder() + QStringLiteral("/defaults.json");
    if (!file.isEmpty() || (loginBehaviour & 4)) { // with bit 2, an empty file rather than none
        QFile out(path);
        FUZZ_CHECK(out.open(QIODevice::WriteOnly) && out.write(file) == file.size(),
                   QStringLiteral("cannot write %1").arg(path));
    }

    SimScenarioBuilder builder;
    for (Browser browser : appsFrom(installedBits))
        builder.install(browser);
    SimModel model = builder.build();
    if (loginBehaviour & 1)
        model.loginItemStatus = LoginItemStatus::enabled;
    if (loginBehaviour & 2)
        model.loginItemError = QStringLiteral("Operation not permitted");
    SimHost host(model);
    SimWorkspace workspace(host);
    SimLoginItems loginItems(host);
    SimSystemLog log;
    const auto quiet = [](const QString&) {};

    std::optional<Settings> expected;
    {
        JsonUserDefaults defaults(path, quiet);
        PreferencesService preferences(defaults, workspace, loginItems, log);
        checkRanges(preferences, defaults);
        while (!input.atEnd())
            assignOne(preferences, input);
        expected.emplace(preferences);
    }
    JsonUserDefaults defaults(path, quiet);
    PreferencesService reloaded(defaults, workspace, loginItems, log);
    checkRanges(reloaded, defaults);
    const QString difference = expected->difference(Settings(reloaded));
    FUZZ_CHECK(difference.isEmpty(),
               QStringLiteral("changed at the next start: %1").arg(difference));
    return 0;
}
