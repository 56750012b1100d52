#include "Overlay/OverlayPanel.h"

#include <QMouseEvent>

OverlayPanel::OverlayPanel()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setWindowTitle(QStringLiteral("Tessel Nav Switcher"));
}

void OverlayPanel::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    emit moved();
}

void OverlayPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void OverlayPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragOffset && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - *m_dragOffset);
    event->accept();
}

void OverlayPanel::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragOffset.reset();
    event->accept();
}
