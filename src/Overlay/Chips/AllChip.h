#pragma once

#include "Brand/ColorScheme.h"
#include "Overlay/Drawing/TextLine.h"

#include <QAbstractButton>

// The "All" chip: a capsule holding the word, filled when no app filter is on.
class AllChip : public QAbstractButton {
    Q_OBJECT
public:
    AllChip(bool isActive, bool isTesselTheme, const ColorScheme& scheme,
            QWidget* parent = nullptr);

    struct Style {
        QColor text;
        QColor fill;
    };
    static Style style(bool isActive, bool isTesselTheme, const ColorScheme& scheme);

    QSize sizeHint() const override;

    // For tests and benchmarks: the product never calls these.
    bool isActive() const { return m_isActive; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    bool m_isActive;
    bool m_isTesselTheme;
    ColorScheme m_scheme;
    TextLine m_label;
};
