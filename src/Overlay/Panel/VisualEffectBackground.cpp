#include "Overlay/Panel/VisualEffectBackground.h"

#include <QPainter>
#include <QPainterPath>

namespace VisualEffectBackground {

QColor fill(VisualEffectMaterial material, const ColorScheme& scheme)
{
    // Opaque enough that a busy desktop cannot drown the text drawn on it,
    // translucent enough to read as a material where a compositor blends it.
    switch (material) {
    case VisualEffectMaterial::popover:
        return scheme.isDark ? QColor(38, 38, 41, 240) : QColor(246, 246, 246, 240);
    case VisualEffectMaterial::hudWindow:
        return scheme.isDark ? QColor(22, 22, 24, 230) : QColor(226, 226, 230, 235);
    case VisualEffectMaterial::thin:
        return scheme.isDark ? QColor(58, 58, 62, 205) : QColor(255, 255, 255, 200);
    }
    return scheme.windowBackground;
}

void paint(QPainter& painter, const QPainterPath& shape, VisualEffectMaterial material,
           const ColorScheme& scheme)
{
    painter.fillPath(shape, fill(material, scheme));
}

} // namespace VisualEffectBackground
