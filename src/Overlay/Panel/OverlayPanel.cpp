#include "Overlay/Panel/OverlayPanel.h"

#include <QMouseEvent>
#include <QPalette>

OverlayPanel::OverlayPanel(CornerRadius cornerRadius, const Workspace& workspace)
    : FloatingPanel(tr("Tessel Nav Switcher"), std::move(cornerRadius), workspace)
{
    setMouseTracking(true);
}

void OverlayPanel::setAppearance(std::optional<Appearance> appearance)
{
    // An empty palette inherits the application's, which follows the system.
    // One built from a single window colour picks text and base colours of
    // the contrasting kind, as a light or dark look does.
    if (!appearance)
        setPalette(QPalette());
    else if (*appearance == Appearance::aqua)
        setPalette(QPalette(QColor(0xEC, 0xEC, 0xEC)));
    else
        setPalette(QPalette(QColor(0x32, 0x32, 0x32)));
}

void OverlayPanel::moveEvent(QMoveEvent* event)
{
    FloatingPanel::moveEvent(event);
    emit moved();
}

void OverlayPanel::mousePressEvent(QMouseEvent* event)
{
    // A press reaches the panel when no part of its content takes it. The
    // moves that follow still go to the part under the press, which may use
    // them (a card view tracks hover), so the panel holds the pointer for
    // the length of the drag.
    if (event->button() == Qt::LeftButton) {
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        grabMouse();
    }
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
    if (!(event->buttons() & Qt::LeftButton))
        endDrag();
    event->accept();
}

void OverlayPanel::hideEvent(QHideEvent* event)
{
    // A commit or Escape can hide the panel in the middle of a drag, whose
    // release then never comes here.
    endDrag();
    FloatingPanel::hideEvent(event);
}

void OverlayPanel::endDrag()
{
    if (!m_dragOffset)
        return;
    m_dragOffset.reset();
    releaseMouse();
}
