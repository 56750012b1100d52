#include "SettingEnums.h"

bool isVertical(PanelPosition position)
{
    return position == PanelPosition::left || position == PanelPosition::right;
}

std::optional<QColor> color(GlassTint tint)
{
    switch (tint) {
    case GlassTint::none:
    case GlassTint::dynamic:
        return std::nullopt;
    case GlassTint::tesselGreen:
        return QColor::fromRgbF(0.22f, 0.52f, 0.35f);
    case GlassTint::ocean:
        return QColor::fromRgbF(0.20f, 0.42f, 0.62f);
    case GlassTint::violet:
        return QColor::fromRgbF(0.42f, 0.32f, 0.62f);
    case GlassTint::graphite:
        return QColor::fromRgbF(0.25f, 0.25f, 0.25f);
    }
    return std::nullopt;
}
