#pragma once

#include "Brand/FloatingPanel.h"

#include <QPoint>

#include <optional>

// The floating panel the switcher lives in; the switcher's keys come through
// the event tap. It can be dragged by any part of its content that does not
// take the mouse press itself, and its content takes the look of the
// appearance setting.
class OverlayPanel final : public FloatingPanel {
    Q_OBJECT
public:
    // The look the panel's content inherits; none follows the system.
    enum class Appearance { aqua, darkAqua };

    OverlayPanel(CornerRadius cornerRadius, const Workspace& workspace);

    void setAppearance(std::optional<Appearance> appearance);

signals:
    // Every change of the panel's position, by the program or by a drag.
    void moved();

protected:
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void endDrag();

    std::optional<QPoint> m_dragOffset; // pointer minus top-left while dragging
};
