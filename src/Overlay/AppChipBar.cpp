#include "Overlay/AppChipBar.h"

#include "Overlay/AllChip.h"
#include "Overlay/BrowserIconChip.h"
#include "Overlay/OverlayRules.h"

#include <QBoxLayout>

AppChipBar::AppChipBar(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_orientation(orientation),
      m_layout(new QBoxLayout(
          orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_layout->setSpacing(orientation == Qt::Horizontal ? 10 : 12);
    if (orientation == Qt::Horizontal)
        setFixedHeight(int(OverlayRules::chipRowHeight));
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
    // The chip being clicked may be the one that asked for this rebuild: the
    // old chips go once their events are done.
    while (QLayoutItem* item = m_layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    const int margin = int(padding);
    const bool row = m_orientation == Qt::Horizontal;
    const Qt::Alignment alignment = row ? Qt::AlignVCenter : Qt::AlignHCenter;
    m_layout->setContentsMargins(row ? margin : 0, row ? 0 : margin, row ? margin : 0,
                                 row ? 0 : margin);
    if (row)
        m_layout->addStretch(1);

    auto* all = new AllChip(!activeFilter, isTesselTheme, scheme, this);
    connect(all, &QAbstractButton::clicked, this, [this] { emit filterChosen(std::nullopt); });
    m_layout->addWidget(all, 0, alignment);
    for (int i = 0; i < browsers.size(); ++i) {
        const Browser browser = browsers[i];
        auto* chip = new BrowserIconChip(browser, icons.icon(browser), activeFilter == browser,
                                         isTesselTheme, scheme, this);
        chip->setToolTip(OverlayRules::appChipToolTip(browser, i));
        connect(chip, &QAbstractButton::clicked, this,
                [this, browser] { emit filterChosen(browser); });
        m_layout->addWidget(chip, 0, alignment);
    }
    m_layout->addStretch(1);
}
