#include "Settings/Preview/LivePreview.h"

#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Settings/Preview/PreviewMiniature.h"
#include "Settings/Tabs/SettingsSections.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

LivePreview::LivePreview(PreferencesService& preferences, BrowserIconCache& icons,
                         const Screens& screens, int hover, QWidget* parent)
    : QWidget(parent), m_miniature(new PreviewMiniature(preferences, icons, screens, hover))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    auto* header = new QHBoxLayout;
    header->addWidget(SettingsSections::smallCaps(tr("LIVE PREVIEW")));
    header->addStretch(1);
    QLabel* hint = SettingsSections::label(tr("hover a card"), 0.32);
    hint->setFont(Typography::font(10));
    header->addWidget(hint);
    layout->addLayout(header);

    layout->addWidget(m_miniature, 0, Qt::AlignHCenter);
    connect(m_miniature, &PreviewMiniature::hovered, this, &LivePreview::hovered);
}

void LivePreview::setHover(int index)
{
    m_miniature->setHover(index);
}
