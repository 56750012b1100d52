#pragma once

#include "Settings/Controls/FocusRingButton.h"

#include <QColor>

// A colour well: a swatch of the colour in a white frame. Clicked, or pressed
// with Space or Return, it opens the colour panel on its colour.
class ColorWell final : public FocusRingButton {
    Q_OBJECT
public:
    explicit ColorWell(QWidget* parent = nullptr);

    void setColor(const QColor& color);

    QSize sizeHint() const override;

signals:
    // A colour other than the one the panel opened on was confirmed there.
    void colorPicked(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void pick();

    QColor m_color;
};
