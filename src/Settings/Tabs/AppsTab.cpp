#include "Settings/Tabs/AppsTab.h"

#include "Services/PreferencesService.h"
#include "Settings/Tabs/AppCell.h"
#include "Settings/Tabs/SettingsSections.h"

#include <QGridLayout>
#include <QVBoxLayout>

using namespace SettingsSections;

namespace {
constexpr int columns = 3;
}

AppsTab::AppsTab(PreferencesService& preferences, const Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_preferences(preferences), m_workspace(workspace)
{
    QVBoxLayout* body = tabBody(this);

    auto* grid = new QWidget;
    auto* gridLayout = new QGridLayout(grid);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setHorizontalSpacing(10);
    gridLayout->setVerticalSpacing(9);
    int index = 0;
    for (Browser browser : Browser::allCases()) {
        auto* cell = new AppCell(browser);
        connect(cell, &AppCell::toggled, this, &AppsTab::switchApp);
        gridLayout->addWidget(cell, index / columns, index % columns);
        m_cells << cell;
        ++index;
    }
    for (int column = 0; column < columns; ++column)
        gridLayout->setColumnStretch(column, 1);

    body->addWidget(section(
        tr("Apps"),
        {grid, caption(QStringLiteral(
                   "Chrome, Arc, and the Adobe apps each ask for a one-time Automation permission "
                   "when first used. Adobe apps list every open document, tabs included; "
                   "documents you have viewed keep their live previews. Firefox, Office, and the "
                   "editor apps show previews and titles for windows on the current Space."))}));

    refresh();
    // Installed or not is asked again at every change of the store, so an app
    // installed since shows its switch at the next change of any setting.
    connect(&m_preferences, &PreferencesService::settingChanged, this, &AppsTab::refresh);
}

void AppsTab::refresh()
{
    const PreferencesService::BrowserSet enabled = m_preferences.enabledBrowsers();
    for (AppCell* cell : std::as_const(m_cells))
        cell->display(cell->browser().isInstalled(m_workspace), enabled.contains(cell->browser()));
}

void AppsTab::showEvent(QShowEvent* event)
{
    refresh();
    QWidget::showEvent(event);
}

// The whole set is assigned back even when unchanged, so the store writes it
// and every observer hears of it.
void AppsTab::switchApp(Browser browser, bool enabled)
{
    PreferencesService::BrowserSet browsers = m_preferences.enabledBrowsers();
    if (enabled)
        browsers.insert(browser);
    else
        browsers.remove(browser);
    m_preferences.setEnabledBrowsers(browsers);
}
