#pragma once

#include <QAbstractButton>

// A small on/off switch: a capsule track, forest when on, with a white knob.
// Clicking anywhere on it toggles it.
class MiniSwitch final : public QAbstractButton {
    Q_OBJECT
public:
    explicit MiniSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
