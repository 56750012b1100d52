#include "Brand/ColorScheme.h"

#include "Brand/TesselBrand.h"

#include <QGuiApplication>
#include <QPalette>

ColorScheme ColorScheme::light()
{
    return {false, QColor(0, 0, 0, 217), QColor(0, 0, 0, 128), QColor(0, 122, 255),
            QColor(236, 236, 236)};
}

ColorScheme ColorScheme::dark()
{
    return {true, QColor(255, 255, 255, 217), QColor(255, 255, 255, 140), QColor(10, 132, 255),
            QColor(50, 50, 50)};
}

ColorScheme ColorScheme::fromPalette(const QPalette& palette)
{
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    const QColor text = palette.color(QPalette::Active, QPalette::WindowText);
    ColorScheme scheme;
    scheme.isDark = window.lightnessF() < text.lightnessF();
    scheme.primary = text;
    scheme.secondary = scheme.primaryAt(0.55);
    scheme.accent = palette.color(QPalette::Active, QPalette::Highlight);
    scheme.windowBackground = window;
    return scheme;
}

ColorScheme ColorScheme::forAppearance(AppearanceMode mode)
{
    return forAppearance(mode, QGuiApplication::palette());
}

ColorScheme ColorScheme::forAppearance(AppearanceMode mode, const QPalette& platform)
{
    switch (mode) {
    case AppearanceMode::system:
        return fromPalette(platform);
    case AppearanceMode::light:
    case AppearanceMode::tessel:
        return light();
    case AppearanceMode::dark:
        return dark();
    }
    return light();
}

QColor ColorScheme::primaryAt(double opacity) const
{
    return TesselBrand::withOpacity(primary, primary.alphaF() * opacity);
}
