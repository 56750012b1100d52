#include "Settings/Controls/ColorWell.h"

#include "Brand/TesselBrand.h"
#include "Models/ColorHex.h"

#include <QColorDialog>
#include <QPainter>
#include <QPointer>

ColorWell::ColorWell(QWidget* parent) : FocusRingButton(parent)
{
    connect(this, &QAbstractButton::clicked, this, &ColorWell::pick);
}

void ColorWell::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QSize ColorWell::sizeHint() const
{
    return {38, 22};
}

void ColorWell::pick()
{
    const QColor current = m_color;
    // The panel belongs to the window, which outlives any one well.
    const QPointer<ColorWell> self(this);
    const QColor chosen = QColorDialog::getColor(current, window(), QString());
    // Closing the panel on the colour it opened with picks nothing: an
    // automatic colour stays automatic.
    if (self && chosen.isValid() && toHex(chosen) != toHex(current))
        emit colorPicked(chosen);
}

void ColorWell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor border = TesselBrand::withOpacity(TesselBrand::ink(), 0.22);

    const QRectF well = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(border, 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(well, 5, 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawRoundedRect(well.adjusted(3.5, 3.5, -3.5, -3.5), 3, 3);
    paintFocusRing(painter, 5);
}
