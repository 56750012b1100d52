#include "Brand/TesselBrand.h"

#include "Brand/Typography.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>

namespace TesselBrand {

QColor cream()
{
    return QColor::fromRgbF(0.961f, 0.957f, 0.918f);
}
QColor ink()
{
    return QColor::fromRgbF(0.196f, 0.255f, 0.184f);
}
QColor hoverFill()
{
    return QColor::fromRgbF(0.91f, 0.902f, 0.847f);
}
QColor hairline()
{
    return QColor::fromRgbF(0.871f, 0.863f, 0.804f);
}
QColor forest()
{
    return QColor::fromRgbF(0.22f, 0.52f, 0.35f);
}
QColor creamWindowBackground()
{
    return cream();
}

QColor withOpacity(QColor color, double opacity)
{
    color.setAlphaF(float(opacity));
    return color;
}

std::optional<QImage> mark()
{
    QImage image(markResource);
    if (image.isNull() || image.width() <= 0)
        return std::nullopt;
    return image;
}

WordmarkMetrics wordmarkMetrics(double width)
{
    const double size = width / 4.5;
    return {size, size * 1.3, size * 0.34};
}

} // namespace TesselBrand

namespace {

QString brandWord()
{
    return QCoreApplication::translate("Wordmark", "tessel");
}

QFont wordFont(double size)
{
    return Typography::font(size, QFont::Medium, FontDesign::serif);
}

} // namespace

Wordmark::Wordmark(double width, QWidget* parent) : Wordmark(width, TesselBrand::mark(), parent) {}

Wordmark::Wordmark(double width, std::optional<QImage> mark, QWidget* parent)
    : QWidget(parent), m_metrics(TesselBrand::wordmarkMetrics(width)), m_mark(std::move(mark))
{
    if (m_mark && (m_mark->isNull() || m_mark->width() <= 0))
        m_mark.reset();
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize Wordmark::sizeHint() const
{
    const QFontMetricsF metrics(wordFont(m_metrics.fontSize));
    double width = metrics.horizontalAdvance(brandWord());
    double height = metrics.height();
    if (m_mark) {
        width += m_metrics.gap + m_metrics.markSide;
        height = std::max(height, m_metrics.markSide);
    }
    return QSizeF(width, height).toSize() + QSize(1, 1);
}

void Wordmark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    const QFont font = wordFont(m_metrics.fontSize);
    const QFontMetricsF metrics(font);
    const QString word = brandWord();
    const double wordWidth = metrics.horizontalAdvance(word);
    const double midY = height() / 2.0;

    painter.setFont(font);
    painter.setPen(TesselBrand::ink());
    painter.drawText(QRectF(0, midY - metrics.height() / 2, wordWidth + 1, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, word);

    if (m_mark) {
        const double side = m_metrics.markSide;
        painter.drawImage(QRectF(wordWidth + m_metrics.gap, midY - side / 2, side, side), *m_mark);
    }
}
