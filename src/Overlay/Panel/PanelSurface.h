#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

class QPainter;

// The switcher panel's rounded background with its one-point border, drawn
// once for a size and look and copied at every repaint after that: filling
// and stroking a whole panel costs several times what copying it does. It
// outlives the views of the showings, as the panel does.
class PanelSurface {
public:
    struct Look {
        QColor surface; // the material, the solid colour or the brand cream
        QColor tint;    // over the surface; transparent for none
        QColor border;
        double cornerRadius = 0;
        bool operator==(const Look&) const = default;
    };

    // Draws the surface over the painter's rectangle of `size` points at its origin.
    void paint(QPainter& painter, const QSize& size, const Look& look);
    // The same drawing, straight onto the painter.
    static void draw(QPainter& painter, const QRectF& rect, const Look& look);

private:
    QImage m_image;
    Look m_look;
    QSize m_size;
};
