#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>

class QPainter;
class QPointF;
class QTextLayout;

// Text wrapped to a width, each line centred, on as many lines as a height
// holds (one at the least). Text that needs more loses characters from its
// middle, so that both how it begins and how it ends stay in view. Line
// breaks and control characters read as spaces. Copies share the layout.
class TextBlock {
public:
    TextBlock() = default;
    TextBlock(const QString& text, const QFont& font, const QSizeF& space);

    // As wide as the space, as high as its lines.
    QSizeF size() const { return m_size; }
    // With the painter's pen, centred on the point.
    void drawCentred(QPainter& painter, const QPointF& centre) const;

    // For tests and benchmarks: the product never calls these.
    // The lines as drawn, each with the space it ends in.
    QStringList lines() const;

private:
    std::shared_ptr<QTextLayout> m_layout;
    QSizeF m_size;
};
