#pragma once

#include "Models/Browser.h"

#include <QList>
#include <QWidget>

class AppCell;
class PreferencesService;
class Workspace;

// Which of the supported apps the switcher serves: every app of the roster in
// a three-column grid, a switch for each installed one.
class AppsTab final : public QWidget {
    Q_OBJECT
public:
    AppsTab(PreferencesService& preferences, const Workspace& workspace, QWidget* parent = nullptr);

    // Asks again which apps are installed and shows the enabled set; runs at
    // every showing and every change of the set.
    void refresh();

    // For tests and benchmarks: the product never calls these.
    const QList<AppCell*>& cells() const { return m_cells; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void switchApp(Browser browser, bool enabled);

    PreferencesService& m_preferences;
    const Workspace& m_workspace;
    QList<AppCell*> m_cells;
};
