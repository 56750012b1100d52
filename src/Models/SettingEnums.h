#pragma once

#include "Models/ShortcutPreset.h"

#include <QColor>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

// The choices of the settings store that are neither numbers, flags, lists nor
// texts. Each is stored by raw value, which is exactly its case name; the
// declaration order is the order in which the settings window offers them.

enum class GlassTint { none, dynamic, tesselGreen, ocean, violet, graphite };
enum class SurfaceStyle { frosted, nativeHUD, solid };
enum class PanelPosition { center, top, bottom, left, right };
enum class AppearanceMode { system, light, dark, tessel };
enum class LayoutMode { strip, grid };
enum class WindowSortOrder { recentlyUsed, windowOrder };

// Per enumeration: the raw values in declaration order. The default of the
// setting each one is stored in is in SettingTable.h.
template <typename E> struct SettingEnum;

template <> struct SettingEnum<ShortcutPreset> {
    static constexpr std::array rawValues{"optionTab", "controlOptionTab", "optionGrave"};
};
template <> struct SettingEnum<GlassTint> {
    static constexpr std::array rawValues{"none",  "dynamic", "tesselGreen",
                                          "ocean", "violet",  "graphite"};
};
template <> struct SettingEnum<SurfaceStyle> {
    static constexpr std::array rawValues{"frosted", "nativeHUD", "solid"};
};
template <> struct SettingEnum<PanelPosition> {
    static constexpr std::array rawValues{"center", "top", "bottom", "left", "right"};
};
template <> struct SettingEnum<AppearanceMode> {
    static constexpr std::array rawValues{"system", "light", "dark", "tessel"};
};
template <> struct SettingEnum<LayoutMode> {
    static constexpr std::array rawValues{"strip", "grid"};
};
template <> struct SettingEnum<WindowSortOrder> {
    static constexpr std::array rawValues{"recentlyUsed", "windowOrder"};
};

template <typename E>
concept SettingEnumeration = requires
{
    SettingEnum<E>::rawValues;
};

template <SettingEnumeration E> constexpr auto allCases()
{
    std::array<E, SettingEnum<E>::rawValues.size()> cases{};
    for (std::size_t i = 0; i < cases.size(); ++i)
        cases[i] = E(i);
    return cases;
}

template <SettingEnumeration E> QString rawValue(E value)
{
    return QLatin1String(SettingEnum<E>::rawValues[std::size_t(value)]);
}

// Exact, case-sensitive match of the whole text.
template <SettingEnumeration E> std::optional<E> fromRawValue(QStringView text)
{
    for (E value : allCases<E>()) {
        if (text == QLatin1String(SettingEnum<E>::rawValues[std::size_t(value)]))
            return value;
    }
    return std::nullopt;
}

// Left and right stack the cards in one column along that screen edge.
bool isVertical(PanelPosition position);

// The tint colour; none for no tint and for the dynamic tint, which the
// overlay derives from the selected window.
std::optional<QColor> color(GlassTint tint);
