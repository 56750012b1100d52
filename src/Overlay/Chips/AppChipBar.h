#pragma once

#include "Brand/ColorScheme.h"
#include "Models/Browser.h"

#include <QList>
#include <QWidget>

#include <optional>

class BrowserIconCache;

// The app chips: "All" and one chip per app with windows, in roster order,
// as a row above the cards, centred across it, or as a column (the rail)
// beside them, from the top; their lengths are in OverlayMetrics. A click asks for that filter;
// none stands for "All". A row wider than the panel stays centred and runs over both edges rather
// than widening the panel.
class AppChipBar : public QWidget {
    Q_OBJECT
public:
    explicit AppChipBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    void setChips(const QList<Browser>& browsers, std::optional<Browser> activeFilter,
                  bool isTesselTheme, const ColorScheme& scheme, BrowserIconCache& icons,
                  double padding);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void filterChosen(std::optional<Browser> filter);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Shown {
        QList<Browser> browsers;
        std::optional<Browser> activeFilter;
        bool isTesselTheme;
        QRgb accent;
        QRgb primary;
        double padding;
        bool operator==(const Shown&) const = default;
    };

    // The chips' length along the bar, spacing included, without padding.
    int chipsLength() const;
    void placeChips();

    Qt::Orientation m_orientation;
    std::optional<Shown> m_shown; // what the current chips were built for
    QList<QWidget*> m_chips;
    double m_padding = 0;
};
