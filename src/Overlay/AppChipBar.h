#pragma once

#include "Brand/ColorScheme.h"
#include "Models/Browser.h"

#include <QList>
#include <QWidget>

#include <optional>

class QBoxLayout;

// The app chips: "All" and one chip per app with windows, in roster order,
// as a centred row 46 points high above the cards or as a column (the rail)
// beside them. A click asks for that filter; none stands for "All".
class AppChipBar : public QWidget {
    Q_OBJECT
public:
    explicit AppChipBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    void setChips(const QList<Browser>& browsers, std::optional<Browser> activeFilter,
                  bool isTesselTheme, const ColorScheme& scheme, BrowserIconCache& icons,
                  double padding);
    Qt::Orientation orientation() const { return m_orientation; }

signals:
    void filterChosen(std::optional<Browser> filter);

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

    Qt::Orientation m_orientation;
    std::optional<Shown> m_shown; // what the current chips were built for
    QBoxLayout* m_layout;
};
