#include "ColorHex.h"

#include <algorithm>
#include <cmath>

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

int to255(float component)
{
    // std::lround takes halves away from zero: 127.5 becomes 128.
    return int(std::lround(std::clamp(double(component), 0.0, 1.0) * 255.0));
}

} // namespace

std::optional<QColor> colorFromHex(QStringView text)
{
    if (text.startsWith(QLatin1Char('#')))
        text = text.mid(1);
    if (text.size() != 6)
        return std::nullopt;
    // Digits only: no sign, no "0x", no blanks.
    int value = 0;
    for (QChar c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

std::optional<QString> toHex(const QColor& color)
{
    if (!color.isValid())
        return std::nullopt;
    const QColor rgb = color.spec() == QColor::ExtendedRgb ? color : color.toRgb();
    return QStringLiteral("%1%2%3")
        .arg(to255(rgb.redF()), 2, 16, QLatin1Char('0'))
        .arg(to255(rgb.greenF()), 2, 16, QLatin1Char('0'))
        .arg(to255(rgb.blueF()), 2, 16, QLatin1Char('0'))
        .toUpper();
}
