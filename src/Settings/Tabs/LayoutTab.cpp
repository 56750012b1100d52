#include "Settings/Tabs/LayoutTab.h"

#include "Platform/Screens.h"
#include "Settings/Controls/PreferenceControls.h"
#include "Settings/Controls/ReadoutLabel.h"
#include "Settings/Tabs/SettingsSections.h"
#include "Settings/Tabs/SettingsTexts.h"

#include <QVBoxLayout>

using namespace SettingsSections;
using PS = PreferencesService;

namespace {

const QString activeDisplay = QStringLiteral("active");
const QString primaryDisplay = QStringLiteral("primary");

// A titled slider over the setting's range with its readout.
template <typename Setter, typename Signal>
QWidget* metricSlider(const QString& title, PreferencesService& preferences,
                      PreferenceControls::Getter<double> get, Setter set, Signal changed,
                      const NumberSetting& setting)
{
    auto* readout = new ReadoutLabel;
    PreferenceControls::follow(preferences, changed, readout, [readout, &preferences, get] {
        readout->setText(SettingsTexts::pointReadout((preferences.*get)()));
    });
    auto* metric = new QWidget;
    auto* layout = new QVBoxLayout(metric);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(readoutRow(title, readout));
    layout->addWidget(PreferenceControls::slider(preferences, get, set, changed, setting));
    return metric;
}

} // namespace

LayoutTab::LayoutTab(PreferencesService& preferences, const Screens& screens, QWidget* livePreview,
                     QWidget* parent)
    : QWidget(parent), m_preferences(preferences), m_screens(screens), m_display(new QComboBox)
{
    QVBoxLayout* body = tabBody(this);
    body->addWidget(livePreview);

    const PreferenceControls::Choices<LayoutMode> arrangements{
        {LayoutMode::strip, tr("Horizontal strip (like ⌘Tab)")},
        {LayoutMode::grid, tr("Grid")},
    };
    body->addWidget(section(
        tr("Arrangement"),
        {PreferenceControls::radioPicker(arrangements, preferences, &PS::layoutMode,
                                         &PS::setLayoutMode, &PS::layoutModeChanged),
         caption(QStringLiteral("One strip of all your windows. With more than one browser, use "
                                "the icons in the top-left to filter to just that browser. In "
                                "grid mode, use ↑ and ↓ to move between rows."))}));

    const PreferenceControls::Choices<PanelPosition> positions{
        {PanelPosition::center, tr("Center")},
        {PanelPosition::top, tr("Top")},
        {PanelPosition::bottom, tr("Bottom")},
        {PanelPosition::left, tr("Left edge (vertical)")},
        {PanelPosition::right, tr("Right edge (vertical)")},
    };
    body->addWidget(section(
        tr("Position"),
        {leadingFrame(PreferenceControls::popUpPicker(positions, preferences, &PS::panelPosition,
                                                      &PS::setPanelPosition,
                                                      &PS::panelPositionChanged),
                      260),
         caption(QStringLiteral("Left and right stack the cards vertically along the screen edge. "
                                "Drag the panel by its background for a custom spot — picking a "
                                "position here resets it."))}));

    // The screens are read again whenever the store changes, not only when
    // the chosen one does: one connected since shows at the next change.
    PreferenceControls::follow(preferences, &PS::settingChanged, m_display,
                               [this] { listDisplays(); });
    connect(m_display, &QComboBox::activated, &preferences, [this](int index) {
        m_preferences.setPreferredScreen(m_display->itemData(index).toString());
    });
    body->addWidget(section(
        tr("Display"),
        {leadingFrame(m_display, 320),
         caption(QStringLiteral("Which screen the switcher opens on. \"Active\" brings it to "
                                "whichever display your pointer is on — handy when you dock to "
                                "external monitors but work on the laptop."))}));

    const PreferenceControls::Choices<WindowSortOrder> orders{
        {WindowSortOrder::recentlyUsed, tr("Recently used first")},
        {WindowSortOrder::windowOrder, tr("Window order (front to back)")},
    };
    body->addWidget(section(
        tr("Sort Order"),
        {PreferenceControls::radioPicker(orders, preferences, &PS::sortOrder, &PS::setSortOrder,
                                         &PS::sortOrderChanged),
         caption(QStringLiteral(
             "Recently used works like ⌘Tab: your last window is always one press away."))}));

    body->addWidget(section(
        tr("Spacing & shape"),
        {metricSlider(tr("Container roundness"), preferences, &PS::cornerRadius,
                      &PS::setCornerRadius, &PS::cornerRadiusChanged, Setting::cornerRadius),
         metricSlider(tr("Space between windows"), preferences, &PS::windowSpacing,
                      &PS::setWindowSpacing, &PS::windowSpacingChanged, Setting::windowSpacing),
         metricSlider(tr("Container padding"), preferences, &PS::containerPadding,
                      &PS::setContainerPadding, &PS::containerPaddingChanged,
                      Setting::containerPadding),
         caption(QStringLiteral("Container roundness rounds the whole panel; the two paddings set "
                                "the breathing room inside the panel and between windows."))}));
}

void LayoutTab::showEvent(QShowEvent* event)
{
    const QSignalBlocker blocker(m_display);
    listDisplays();
    QWidget::showEvent(event);
}

// The two fixed items, then every connected screen by name, as they are now.
// A stored name that no screen has any more matches no item and stays stored.
void LayoutTab::listDisplays()
{
    m_display->clear();
    m_display->addItem(tr("Active display (follows your pointer)"), activeDisplay);
    m_display->addItem(tr("Primary display"), primaryDisplay);
    for (const ScreenInfo& screen : m_screens.screens())
        m_display->addItem(screen.localizedName, screen.localizedName);
    m_display->setCurrentIndex(m_display->findData(m_preferences.preferredScreen()));
}
