#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// A rectangle with continuous corners (continuousRoundedRect) filled with one
// colour, as a cached image copied onto whole device pixels. Qt's raster engine hands the blending
// of any antialiased shape of more than about a hundred spans (a capsule taller than some twenty
// pixels) to the global thread pool and waits for it, which costs ten times the fill itself; the
// overlay repaints the same few shapes at every showing and every selection change.
namespace RoundedFill {

void paint(QPainter& painter, const QRectF& rect, double radius, const QColor& color);

} // namespace RoundedFill
