#pragma once

#include <QFont>

// The named text styles of the interface and the three type designs, as
// fonts installed with the program's packages: Inter for the standard design,
// Quicksand for the rounded one, Noto Serif for the serif one.
//
// Sizes are in points of the interface, which are Qt's device-independent
// pixels: a 13-point body font is 13 pixels high at a device pixel ratio of 1.
enum class TextStyle { body, callout, caption, caption2, title3 };
enum class FontDesign { standard, rounded, serif };

namespace Typography {

double pointSize(TextStyle style);
QString family(FontDesign design);

QFont font(TextStyle style, QFont::Weight weight = QFont::Normal,
           FontDesign design = FontDesign::standard);
QFont font(double points, QFont::Weight weight = QFont::Normal,
           FontDesign design = FontDesign::standard);

} // namespace Typography
