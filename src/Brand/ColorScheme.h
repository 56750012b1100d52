#pragma once

#include "Models/SettingEnums.h"

#include <QColor>

class QPalette;

// The colours a surface draws its text, fills and accents with: light, dark,
// or whatever the platform palette says. The overlay and the settings
// miniature pick one from the appearance setting; the brand theme draws on
// the light one and adds the brand palette on top.
struct ColorScheme {
    bool isDark = false;
    QColor primary;          // text and symbols; translucent fills are made from it
    QColor secondary;        // the second line of a card, hints, empty texts
    QColor accent;           // the active chip
    QColor windowBackground; // the solid surface

    static ColorScheme light();
    static ColorScheme dark();
    // The platform's colours, judged dark or light by its window colour.
    static ColorScheme fromPalette(const QPalette& palette);
    // The application palette for "system", the forced schemes for "light"
    // and "dark", and the light one under the brand theme.
    static ColorScheme forAppearance(AppearanceMode mode);
    static ColorScheme forAppearance(AppearanceMode mode, const QPalette& platform);

    // The primary colour with its own opacity scaled by opacity (0 to 1), as
    // the translucent fills use it.
    QColor primaryAt(double opacity) const;

    bool operator==(const ColorScheme&) const = default;
};
