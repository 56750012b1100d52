#include "Overlay/OverlayPanel.h"

#include <QMouseEvent>
#include <QPalette>
#include <QVBoxLayout>

OverlayPanel::OverlayPanel()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    // Qt shows help texts only in the active window, and this one never is.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setWindowTitle(QStringLiteral("Tessel Nav Switcher"));
    auto* layout = new QVBoxLayout(this);
    // The controller decides the panel's size; its content never widens it.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void OverlayPanel::setContentView(QWidget* view)
{
    if (m_contentView) {
        m_contentView->hide();
        m_contentView->deleteLater();
    }
    m_contentView = view;
    if (view) {
        layout()->addWidget(view);
        view->show();
    }
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
    QWidget::moveEvent(event);
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
    QWidget::hideEvent(event);
}

void OverlayPanel::endDrag()
{
    if (!m_dragOffset)
        return;
    m_dragOffset.reset();
    releaseMouse();
}
