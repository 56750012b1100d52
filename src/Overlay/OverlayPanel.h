#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <optional>

// The floating panel the switcher lives in. It never takes keyboard focus and
// never activates the program, so the app the user was in keeps the keyboard:
// the switcher's keys come through the event tap. It stays above other
// windows, has no frame and a transparent background (its content draws the
// rounded surface), and can be dragged by any part of its content that does
// not take the mouse press itself.
class OverlayPanel final : public QWidget {
    Q_OBJECT
public:
    // The look the panel's content inherits; none follows the system.
    enum class Appearance { aqua, darkAqua };

    OverlayPanel();

    // Fills the panel with the view, which it takes over; the previous one
    // goes once control returns to the event loop, since it may be the one
    // whose event led here.
    void setContentView(QWidget* view);
    QWidget* contentView() const { return m_contentView; }

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
    QPointer<QWidget> m_contentView;
};
