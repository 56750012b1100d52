#pragma once

#include "Brand/ColorScheme.h"
#include "Models/Browser.h"
#include "Overlay/OverlayMetrics.h"

#include <QAbstractButton>
#include <QImage>

// One app's chip: its icon (or a dot in its badge colour when it has none) in
// a rounded square 4 points larger on every side, full strength when its
// filter is on and dimmed otherwise.
class BrowserIconChip : public QAbstractButton {
    Q_OBJECT
public:
    BrowserIconChip(Browser browser, QImage icon, bool isActive, bool isTesselTheme,
                    const ColorScheme& scheme, QWidget* parent = nullptr);

    struct Style {
        QColor fill;
        QColor border;
        double opacity;
    };
    static Style style(bool isActive, bool isTesselTheme, const ColorScheme& scheme);
    static constexpr int side = int(OverlayMetrics::appIconSide) + 2 * 4;

    QSize sizeHint() const override { return {side, side}; }

    // For tests and benchmarks: the product never calls these.
    Browser browser() const { return m_browser; }
    bool isActive() const { return m_isActive; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    Browser m_browser;
    QImage m_icon;
    bool m_isActive;
    bool m_isTesselTheme;
    ColorScheme m_scheme;
};
