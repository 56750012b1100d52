#include "Overlay/OverlayView.h"

#include "Overlay/OverlayController.h"

#include <QPainter>

// Placeholder content until the card views land: a plain rounded surface.
OverlayView::OverlayView(OverlayController& controller, PreferencesService& preferences,
                         QWidget* parent)
    : QWidget(parent), m_controller(controller), m_preferences(preferences)
{
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_controller, &OverlayController::windowsChanged, this, qOverload<>(&QWidget::update));
    connect(&m_controller, &OverlayController::selectedIndexChanged, this,
            qOverload<>(&QWidget::update));
}

OverlayView::~OverlayView() = default;

void OverlayView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().window());
    painter.drawRoundedRect(QRectF(rect()), 26, 26);
}
