#pragma once

#include <QColor>
#include <QString>
#include <QStringView>

#include <optional>

// Colours as six hexadecimal digits (red, green, blue), the form in which
// profile pill colours are stored.

// "RRGGBB" or "#RRGGBB", digits in either case, as an opaque sRGB colour; none
// for anything else.
std::optional<QColor> colorFromHex(QStringView text);

// Six upper-case digits without "#", opacity ignored; none for an invalid
// colour. Components outside 0 to 1 (extended range) are clamped so that the
// text always reads back.
std::optional<QString> toHex(const QColor& color);
