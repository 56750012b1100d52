#include "Models/ContinuousCorners.h"

#include <QPointF>

#include <algorithm>
#include <array>

namespace {

// Half a corner, from where it leaves an edge to the corner's diagonal, as one
// cubic Bézier curve. Coordinates are in units of the radius with the
// rectangle's corner at the origin: x runs back along the edge, y into the
// rectangle. The other half is its mirror image in the diagonal.
using HalfCorner = std::array<QPointF, 4>;

// The eased corner. Each half is an Euler spiral, the easement curve of roads
// and rails: its curvature grows in proportion to the length travelled, from
// zero on the edge to 1/ρ on the diagonal, where the two halves meet with the
// same curvature after turning β = 45° each. Such a half is L = 2ρβ long and
// ends, measured from where it leaves the edge, X = L·Σ (−1)ⁿ β²ⁿ/((2n)!(4n+1))
// along the edge and Y = L·Σ (−1)ⁿ β²ⁿ⁺¹/((2n+1)!(4n+3)) into the rectangle
// (1.47663·ρ and 0.39347·ρ). Ending on the diagonal, it crosses it Y from each
// edge and leaves the edges X + Y from the corner.
// The spiral is drawn as the cubic that matches it at both ends in place,
// direction and curvature: the first three control points lie on the edge (no
// curvature where it starts), the third also on the tangent at the diagonal,
// and the second where the curvature at the diagonal comes out as 1/ρ.
// ρ = 0.70663·r makes the corner cut away as much as a circular corner of
// radius r does, (1 − π/4)·r²: it looks as heavy as the circular one, leaves
// the edges 1.32·r from the corner instead of r and crosses the diagonal
// 0.278·r from each edge instead of 0.293·r.
constexpr HalfCorner eased{QPointF(1.3214679656, 0), QPointF(1.0202050628, 0),
                           QPointF(0.5560707847, 0), QPointF(0.2780353923, 0.2780353923)};

// The circular corner: the usual cubic for 45° of the unit circle, its
// control points (4/3)·tan(π/16) from the ends along the tangents.
constexpr HalfCorner circular{QPointF(1, 0), QPointF(0.7347835102, 0),
                              QPointF(0.4804295973, 0.1053568404),
                              QPointF(0.2928932188, 0.2928932188)};

// How much of the easing a corner of this size keeps: all of it when the
// shorter side has room for the eased corner, none (a circular corner) when
// the radius takes half of it, in between in proportion to the room left.
// Both curves are symmetric about the diagonal and leave the edge along it,
// so every mixture of their points is too.
double easing(const QSizeF& size, double radius)
{
    const double room = std::min(size.width(), size.height()) / 2;
    return std::clamp((room - radius) / ((eased[0].x() - 1) * radius), 0.0, 1.0);
}

} // namespace

QPainterPath continuousRoundedRect(const QRectF& rect, double radius)
{
    QPainterPath path;
    const QRectF bounds = rect.normalized();
    const double r = std::min(radius, std::min(bounds.width(), bounds.height()) / 2);
    if (!(r > 0)) {
        path.addRect(rect);
        return path;
    }
    const double mix = easing(bounds.size(), r);
    HalfCorner half;
    for (std::size_t i = 0; i < half.size(); ++i)
        half[i] = (circular[i] * (1 - mix) + eased[i] * mix) * r;

    struct Corner {
        QPointF at;
        QPointF back; // from the corner back along the edge that comes in
        QPointF on;   // from the corner along the edge that goes out
    };
    // Clockwise on the screen, starting on the left edge.
    const std::array<Corner, 4> corners{{
        {bounds.topLeft(), {0, 1}, {1, 0}},
        {bounds.topRight(), {-1, 0}, {0, 1}},
        {bounds.bottomRight(), {0, -1}, {-1, 0}},
        {bounds.bottomLeft(), {1, 0}, {0, -1}},
    }};
    for (const Corner& corner : corners) {
        const auto in = [&](const QPointF& p) {
            return corner.at + corner.back * p.x() + corner.on * p.y();
        };
        const auto out = [&](const QPointF& p) {
            return corner.at + corner.on * p.x() + corner.back * p.y();
        };
        if (path.elementCount() == 0)
            path.moveTo(in(half[0]));
        else if (path.currentPosition() != in(half[0]))
            path.lineTo(in(half[0]));
        path.cubicTo(in(half[1]), in(half[2]), in(half[3]));
        path.cubicTo(out(half[2]), out(half[1]), out(half[0]));
    }
    path.closeSubpath();
    return path;
}

QPainterPath continuousRoundedBorder(const QRectF& rect, double radius, double lineWidth)
{
    const double inset = lineWidth / 2;
    return continuousRoundedRect(rect.adjusted(inset, inset, -inset, -inset),
                                 std::max(radius - inset, 0.0));
}
