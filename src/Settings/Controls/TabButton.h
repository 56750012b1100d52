#pragma once

#include <QAbstractButton>
#include <QPainterPath>

// One button of the settings tab bar: its label on a capsule that is filled
// while the tab is selected. The capsule, and only the capsule, takes
// the click.
class TabButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit TabButton(const QString& label, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    QPainterPath capsule() const;
};
