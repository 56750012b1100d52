#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;
class QPointF;
class QTextLayout;

// One line of text shaped once and drawn as often as needed: made fit for a
// line (control characters and line breaks read as spaces), elided to a
// width and laid out in a font. Copies share the layout.
class TextLine {
public:
    TextLine() = default;
    TextLine(const QString& text, const QFont& font, double width,
             Qt::TextElideMode elide = Qt::ElideRight);

    QSizeF size() const { return m_size; }
    // With the painter's pen, the line's top-left corner at the point.
    void draw(QPainter& painter, const QPointF& topLeft) const;
    // Centred on the point.
    void drawCentred(QPainter& painter, const QPointF& centre) const;

private:
    std::shared_ptr<QTextLayout> m_layout;
    QSizeF m_size;
};
