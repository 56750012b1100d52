#include "Platform/Live/Widgets/RoundedWindowMask.h"

#include "Models/ContinuousCorners.h"
#include "Platform/Live/Compositing.h"

#include <QEvent>
#include <QPainterPath>
#include <QWidget>
#include <QWindow>

void RoundedWindowMask::keep(QWidget& window, Radius radius)
{
    keep(window, std::move(radius), &Compositing::isActive);
}

void RoundedWindowMask::keep(QWidget& window, Radius radius, Composited composited)
{
    // A child of the window: it goes with it.
    new RoundedWindowMask(window, std::move(radius), std::move(composited));
}

RoundedWindowMask::RoundedWindowMask(QWidget& window, Radius radius, Composited composited)
    : QObject(&window), m_window(window), m_radius(std::move(radius)),
      m_composited(std::move(composited))
{
    window.installEventFilter(this);
    if (window.isVisible()) {
        m_masking = window.windowHandle() && !m_composited(*window.windowHandle());
        apply();
    }
}

QRegion RoundedWindowMask::region(const QSize& size, double radius)
{
    const QPainterPath shape = continuousRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), radius);
    return QRegion(shape.toFillPolygon().toPolygon());
}

bool RoundedWindowMask::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window) {
        if (event->type() == QEvent::Show) {
            m_masking = m_window.windowHandle() && !m_composited(*m_window.windowHandle());
            apply();
        } else if (event->type() == QEvent::Resize) {
            apply();
        }
    }
    return QObject::eventFilter(watched, event);
}

void RoundedWindowMask::apply()
{
    if (m_masking)
        m_window.setMask(region(m_window.size(), m_radius()));
    else if (!m_window.mask().isEmpty())
        m_window.clearMask();
}
