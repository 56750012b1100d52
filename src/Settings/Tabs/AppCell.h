#pragma once

#include "Models/Browser.h"

#include <QWidget>

class MiniSwitch;

// One app of the Apps grid: a dot in the app's colour and its name on one
// line, with a switch at the trailing edge when the app is installed; greyed
// and without a switch when it is not.
class AppCell final : public QWidget {
    Q_OBJECT
public:
    explicit AppCell(Browser browser, QWidget* parent = nullptr);

    Browser browser() const { return m_browser; }
    void display(bool installed, bool enabled);

    QSize sizeHint() const override;

    // For tests and benchmarks: the product never calls these.
    bool isInstalled() const { return m_installed; }
    MiniSwitch* toggle() const { return m_switch; }

signals:
    // The user switched the app on or off.
    void toggled(Browser browser, bool enabled);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeSwitch();

    Browser m_browser;
    bool m_installed = false;
    MiniSwitch* m_switch;
};
