#pragma once

#include <QAbstractButton>

class QPainter;

// A button that draws itself and that the keyboard reaches: Tab stops on it
// (a click does not take the focus), Space or Return clicks it, and while the
// keyboard has put the focus there it shows a ring in the accent.
class FocusRingButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit FocusRingButton(QWidget* parent = nullptr);

    // Whether the ring is drawn: the focus is here and the keyboard moved it
    // in this window, not a click or the window's opening.
    bool showsFocusRing() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The ring along the button's edge, drawn over what lies there.
    void paintFocusRing(QPainter& painter, double radius) const;
};
