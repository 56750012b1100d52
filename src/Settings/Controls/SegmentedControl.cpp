#include "Settings/Controls/SegmentedControl.h"

#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int controlHeight = 24;
constexpr double segmentPadding = 16;
constexpr double inset = 2;

} // namespace

SegmentedControl::SegmentedControl(const QStringList& labels, QWidget* parent)
    : QWidget(parent), m_labels(labels)
{
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (index == m_current)
        return;
    m_current = index;
    update();
}

QSize SegmentedControl::sizeHint() const
{
    const QFontMetricsF metrics(Typography::font(TextStyle::body, QFont::Medium));
    double widest = 0;
    for (const QString& label : m_labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    return QSizeF((widest + 2 * segmentPadding) * m_labels.size() + 2 * inset, controlHeight)
        .toSize();
}

QRect SegmentedControl::segmentRect(int index) const
{
    if (m_labels.isEmpty())
        return {};
    const double inner = width() - 2 * inset;
    const double each = inner / m_labels.size();
    return QRectF(inset + each * index, inset, each, height() - 2 * inset).toAlignedRect();
}

void SegmentedControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (!isEnabled())
        painter.setOpacity(0.45);
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(TesselBrand::withOpacity(TesselBrand::ink(), 0.12), 1));
    painter.setBrush(TesselBrand::withOpacity(TesselBrand::ink(), 0.07));
    painter.drawRoundedRect(outer, 7, 7);

    const double inner = width() - 2 * inset;
    const double each = m_labels.isEmpty() ? 0 : inner / m_labels.size();
    const QColor divider = TesselBrand::withOpacity(TesselBrand::ink(), 0.14);
    for (int i = 0; i < m_labels.size(); ++i) {
        const QRectF segment(inset + each * i, inset, each, height() - 2 * inset);
        const bool chosen = i == m_current;
        if (chosen) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(TesselBrand::forest());
            painter.drawRoundedRect(segment, 5.5, 5.5);
        } else if (i > 0 && i - 1 != m_current) {
            painter.setPen(QPen(divider, 1));
            painter.drawLine(QPointF(segment.left(), segment.top() + 5),
                             QPointF(segment.left(), segment.bottom() - 5));
        }
        painter.setFont(
            Typography::font(TextStyle::body, chosen ? QFont::DemiBold : QFont::Medium));
        painter.setPen(chosen ? QColor(Qt::white) : TesselBrand::ink());
        painter.drawText(segment, Qt::AlignCenter, m_labels.at(i));
    }
}

void SegmentedControl::choose(int index)
{
    if (index < 0 || index >= m_labels.size())
        return;
    setCurrentIndex(index);
    emit activated(index);
}

void SegmentedControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    for (int i = 0; i < m_labels.size(); ++i) {
        if (segmentRect(i).contains(event->position().toPoint())) {
            choose(i);
            return;
        }
    }
}

void SegmentedControl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Left)
        choose(m_current - 1);
    else if (event->key() == Qt::Key_Right)
        choose(m_current + 1);
    else
        QWidget::keyPressEvent(event);
}
