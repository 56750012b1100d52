#include "Brand/Typography.h"

namespace Typography {

double pointSize(TextStyle style)
{
    switch (style) {
    case TextStyle::body:
        return 13;
    case TextStyle::callout:
        return 12;
    case TextStyle::caption:
        return 10;
    case TextStyle::caption2:
        return 10;
    case TextStyle::title3:
        return 15;
    }
    return 13;
}

QString family(FontDesign design)
{
    switch (design) {
    case FontDesign::standard:
        return QStringLiteral("Inter");
    case FontDesign::rounded:
        return QStringLiteral("Quicksand");
    case FontDesign::serif:
        return QStringLiteral("Noto Serif");
    }
    return QStringLiteral("Inter");
}

QFont font(TextStyle style, QFont::Weight weight, FontDesign design)
{
    return font(pointSize(style), weight, design);
}

QFont font(double points, QFont::Weight weight, FontDesign design)
{
    QFont result(family(design));
    // Qt's pixel sizes are whole numbers; a fractional size such as a
    // monogram's 39.375 needs the point size, which Qt converts at 96 dots per
    // inch for device-independent pixels.
    result.setPointSizeF(points * 72.0 / 96.0);
    result.setWeight(weight);
    result.setStyleHint(design == FontDesign::serif ? QFont::Serif : QFont::SansSerif);
    result.setHintingPreference(QFont::PreferNoHinting);
    return result;
}

} // namespace Typography
