#include "Overlay/Chips/AppChipBar.h"

#include "Overlay/Chips/AllChip.h"
#include "Overlay/Chips/BrowserIconChip.h"
#include "Overlay/OverlayMetrics.h"
#include "Overlay/OverlayRules.h"

#include <cmath>

namespace {

constexpr int rowSpacing = int(OverlayMetrics::chipRowSpacing);
constexpr int railSpacing = int(OverlayMetrics::railSpacing);

} // namespace

AppChipBar::AppChipBar(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_orientation(orientation)
{
    setAttribute(Qt::WA_TranslucentBackground);
    if (orientation == Qt::Horizontal) {
        setFixedHeight(int(OverlayMetrics::chipRowHeight));
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
}

void AppChipBar::setChips(const QList<Browser>& browsers, std::optional<Browser> activeFilter,
                          bool isTesselTheme, const ColorScheme& scheme, BrowserIconCache& icons,
                          double padding)
{
    const Shown shown{
        browsers, activeFilter, isTesselTheme, scheme.accent.rgba(), scheme.primary.rgba(),
        padding};
    if (m_shown == shown)
        return;
    m_shown = shown;
    m_padding = padding;
    // The chip being clicked may be the one that asked for this rebuild: the
    // old chips go once their events are done.
    for (QWidget* chip : std::as_const(m_chips)) {
        chip->hide();
        chip->deleteLater();
    }
    m_chips.clear();

    auto* all = new AllChip(!activeFilter, isTesselTheme, scheme, this);
    connect(all, &QAbstractButton::clicked, this, [this] { emit filterChosen(std::nullopt); });
    m_chips << all;
    for (int i = 0; i < browsers.size(); ++i) {
        const Browser browser = browsers[i];
        auto* chip = new BrowserIconChip(browser, icons.icon(browser), activeFilter == browser,
                                         isTesselTheme, scheme, this);
        chip->setToolTip(OverlayRules::appChipToolTip(browser, i));
        connect(chip, &QAbstractButton::clicked, this,
                [this, browser] { emit filterChosen(browser); });
        m_chips << chip;
    }
    for (QWidget* chip : std::as_const(m_chips))
        chip->show();
    placeChips();
    updateGeometry();
}

int AppChipBar::chipsLength() const
{
    const bool row = m_orientation == Qt::Horizontal;
    int length = 0;
    for (const QWidget* chip : m_chips)
        length += row ? chip->width() : chip->height();
    if (!m_chips.isEmpty())
        length += int(m_chips.size() - 1) * (row ? rowSpacing : railSpacing);
    return length;
}

QSize AppChipBar::sizeHint() const
{
    const int padding = int(std::ceil(m_padding));
    if (m_orientation == Qt::Horizontal)
        return {chipsLength() + 2 * padding, int(OverlayMetrics::chipRowHeight)};
    int width = 0;
    for (const QWidget* chip : m_chips)
        width = std::max(width, chip->width());
    return {width, chipsLength() + 2 * padding};
}

QSize AppChipBar::minimumSizeHint() const
{
    return m_orientation == Qt::Horizontal ? QSize(0, int(OverlayMetrics::chipRowHeight))
                                           : sizeHint();
}

void AppChipBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeChips();
}

void AppChipBar::placeChips()
{
    if (m_orientation == Qt::Horizontal) {
        // Centred between the paddings, or on the whole row when it is wider.
        const int length = chipsLength();
        const int inner = width() - 2 * int(std::ceil(m_padding));
        int x = length <= inner ? int(std::ceil(m_padding)) + (inner - length) / 2
                                : (width() - length) / 2;
        for (QWidget* chip : std::as_const(m_chips)) {
            chip->move(x, (height() - chip->height()) / 2);
            x += chip->width() + rowSpacing;
        }
        return;
    }
    int y = int(std::ceil(m_padding));
    for (QWidget* chip : std::as_const(m_chips)) {
        chip->move((width() - chip->width()) / 2, y);
        y += chip->height() + railSpacing;
    }
}
