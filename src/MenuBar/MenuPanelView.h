#pragma once

#include "MenuBar/MenuActions.h"

#include <QWidget>

// The menu panel's content: the wordmark, the four commands with their
// symbols, dividers and the program's version, on the brand's cream surface
// with rounded corners. Always drawn in the light appearance.
class MenuPanelView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int panelWidth = 252;
    static constexpr double cornerRadius = 18;

    explicit MenuPanelView(MenuActions actions, QWidget* parent = nullptr);

    // The keyboard hint of the Show Switcher row, whatever shortcut is chosen.
    static QString switcherHint();
    static QString versionText(const QString& version);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MenuActions m_actions;
};
