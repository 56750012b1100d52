#pragma once

#include <QAbstractButton>

// One button of the settings tab bar: its label on a capsule that is filled
// while the tab is selected. The whole capsule takes the click.
class TabButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit TabButton(const QString& label, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
