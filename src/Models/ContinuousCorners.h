#pragma once

#include <QPainterPath>
#include <QRectF>

// Rounded rectangles with continuous corners: the curvature grows from zero
// where a corner leaves a straight edge, so the edge eases into the curve
// instead of meeting a circular arc with a jump in curvature. Every outline
// the interface calls rounded with continuous corners is drawn, clipped and
// masked with this one shape.

// The outline of the rectangle with corners of the radius. A radius of zero or
// less gives square corners; a radius beyond half the shorter side is taken
// as half of it, which gives a capsule. Where a side is too short for the
// eased corner, the corners turn towards circular arcs, all four alike, so
// the shape stays symmetric; a capsule's ends are half circles.
QPainterPath continuousRoundedRect(const QRectF& rect, double radius);

// Where a line of the width runs to lie just inside that outline: the same
// shape inset by half the width, its radius less by as much.
QPainterPath continuousRoundedBorder(const QRectF& rect, double radius, double lineWidth);
