#pragma once

#include "Models/SettingEnums.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <tuple>

// Every setting the store loads and writes in the same way, declared once:
// its defaults key, its type, the value it has when nothing readable is
// stored, and for numbers the range. The store loads, clamps and writes each
// from its entry here, and the settings window's sliders span the same range.
// Each key is also the name of the store's property that holds the setting.
//
// The settings with rules of their own (the enabled apps, the dragged panel
// centre, launch at login) and the store's bookkeeping keys are not here: see
// PreferencesService.

// One of an enumeration's cases, stored as its raw value. A stored text that
// is no case's raw value loads as the default.
template <SettingEnumeration E> struct ChoiceSetting {
    using Value = E;
    QLatin1StringView key;
    E defaultValue;
};
// Spelled out for compilers that deduce no aggregate's arguments by themselves.
template <SettingEnumeration E> ChoiceSetting(QLatin1StringView, E) -> ChoiceSetting<E>;

// A Boolean; a stored value of another kind loads as the default.
struct FlagSetting {
    using Value = bool;
    QLatin1StringView key;
    bool defaultValue;
};

// A text; a stored value of another kind loads as the default.
struct TextSetting {
    using Value = QString;
    QLatin1StringView key;
    QLatin1StringView defaultValue;
};

// A list of texts; a stored list with anything but texts loads as empty.
struct TextListSetting {
    using Value = QStringList;
    QLatin1StringView key;
};

// A dictionary of texts; one holding anything but texts loads as empty.
struct TextMapSetting {
    using Value = QMap<QString, QString>;
    QLatin1StringView key;
};

enum class NumberLoading {
    // A missing, non-numeric or non-finite value loads as the default; one
    // outside minimum to maximum as the nearer bound.
    clamped,
    // The card width's rule: a text that reads as a number counts, and
    // anything below the minimum, unreadable values included (they read as
    // 0), loads as the default. Nothing bounds it above: only the slider
    // stops at the maximum.
    defaultBelowMinimum,
};

// A number of points or a fraction. The settings window's slider spans
// minimum to maximum in steps of `step`; a step of 0 slides continuously.
// Written values are stored as given: the range applies when loading.
struct NumberSetting {
    using Value = double;
    QLatin1StringView key;
    double defaultValue;
    double minimum;
    double maximum;
    double step;
    NumberLoading loading = NumberLoading::clamped;
};

namespace Setting {

using namespace Qt::Literals::StringLiterals;

// In the order they load. A number's entry is its key, default, minimum,
// maximum and slider step.
inline constexpr ChoiceSetting shortcutPreset{"shortcutPreset"_L1, ShortcutPreset::optionTab};
inline constexpr NumberSetting cardWidth{
    "cardWidth"_L1, 260, 180, 340, 10, NumberLoading::defaultBelowMinimum};
inline constexpr ChoiceSetting glassTint{"glassTint"_L1, GlassTint::tesselGreen};
inline constexpr NumberSetting tintOpacity{"tintOpacity"_L1, 0.4, 0, 1, 0};
inline constexpr ChoiceSetting surfaceStyle{"surfaceStyle"_L1, SurfaceStyle::frosted};
inline constexpr NumberSetting cornerRadius{"cornerRadius"_L1, 26, 0, 40, 1};
inline constexpr NumberSetting windowSpacing{"windowSpacing"_L1, 16, 4, 40, 1};
inline constexpr NumberSetting containerPadding{"containerPadding"_L1, 24, 8, 48, 1};
inline constexpr ChoiceSetting layoutMode{"layoutMode"_L1, LayoutMode::strip};
inline constexpr ChoiceSetting sortOrder{"sortOrder"_L1, WindowSortOrder::recentlyUsed};
inline constexpr FlagSetting showProfileBadge{"showProfileBadge"_L1, true};
inline constexpr FlagSetting showWindowPreviews{"showWindowPreviews"_L1, true};
inline constexpr ChoiceSetting appearanceMode{"appearanceMode"_L1, AppearanceMode::system};
inline constexpr FlagSetting enhanceCommandBacktick{"enhanceCommandBacktick"_L1, true};
inline constexpr ChoiceSetting panelPosition{"panelPosition"_L1, PanelPosition::center};
inline constexpr TextSetting preferredScreen{"preferredScreen"_L1, "active"_L1};
inline constexpr TextMapSetting profileColors{"profileColors"_L1};
inline constexpr TextListSetting knownProfiles{"knownProfiles"_L1};

// Every setting above, in that order.
inline constexpr std::tuple all{&shortcutPreset,   &cardWidth,
                                &glassTint,        &tintOpacity,
                                &surfaceStyle,     &cornerRadius,
                                &windowSpacing,    &containerPadding,
                                &layoutMode,       &sortOrder,
                                &showProfileBadge, &showWindowPreviews,
                                &appearanceMode,   &enhanceCommandBacktick,
                                &panelPosition,    &preferredScreen,
                                &profileColors,    &knownProfiles};

// Calls visit with each setting's entry, in loading order.
template <typename Visit> void forEach(Visit&& visit)
{
    std::apply([&visit](const auto*... setting) { (visit(*setting), ...); }, all);
}

} // namespace Setting
