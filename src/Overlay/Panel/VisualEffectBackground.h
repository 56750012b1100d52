#pragma once

#include "Brand/ColorScheme.h"

#include <QColor>

class QPainter;
class QPainterPath;

// The translucent materials a surface can be made of.
enum class VisualEffectMaterial {
    popover,   // the switcher's frosted surface
    hudWindow, // the darker heads-up surface
    thin,      // pills and the search field drawn over content
};

// A material surface. The platform's blur behind a window needs a
// compositor that an X11 session may not run, so each material is a
// translucent fill chosen to keep text readable over light and dark
// desktops alike; nothing depends on what lies beneath the window.
namespace VisualEffectBackground {

// The material's fill under a light or a dark scheme.
QColor fill(VisualEffectMaterial material, const ColorScheme& scheme);
// Fills the shape with the material, for surfaces that draw themselves.
void paint(QPainter& painter, const QPainterPath& shape, VisualEffectMaterial material,
           const ColorScheme& scheme);

} // namespace VisualEffectBackground
