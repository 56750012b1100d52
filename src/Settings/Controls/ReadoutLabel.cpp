#include "Settings/Controls/ReadoutLabel.h"

#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"

#include <QFontMetricsF>
#include <QPainter>

ReadoutLabel::ReadoutLabel(QWidget* parent) : QWidget(parent)
{
    setFont(Typography::font(TextStyle::caption));
    const QFontMetricsF metrics(font());
    for (char digit = '0'; digit <= '9'; ++digit)
        m_digitWidth = std::max(m_digitWidth, metrics.horizontalAdvance(QLatin1Char(digit)));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ReadoutLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

double ReadoutLabel::textWidth() const
{
    const QFontMetricsF metrics(font());
    double width = 0;
    for (const QChar c : m_text)
        width += c.isDigit() ? m_digitWidth : metrics.horizontalAdvance(c);
    return width;
}

QSize ReadoutLabel::sizeHint() const
{
    // Room for a few more digits than shown, so the row does not reflow.
    return QSizeF(textWidth() + 2 * m_digitWidth, QFontMetricsF(font()).height()).toSize();
}

void ReadoutLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(TesselBrand::withOpacity(TesselBrand::ink(), 0.5));
    painter.setFont(font());
    const QFontMetricsF metrics(font());
    double x = width() - textWidth();
    const double baseline = (height() + metrics.ascent() - metrics.descent()) / 2;
    for (const QChar c : m_text) {
        if (c.isDigit()) {
            // Each digit centred in a cell of the widest digit's width.
            const double advance = metrics.horizontalAdvance(c);
            painter.drawText(QPointF(x + (m_digitWidth - advance) / 2, baseline), QString(c));
            x += m_digitWidth;
        } else {
            painter.drawText(QPointF(x, baseline), QString(c));
            x += metrics.horizontalAdvance(c);
        }
    }
}
