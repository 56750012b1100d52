#pragma once

#include "Platform/EventMonitors.h"
#include "Platform/EventTap.h"
#include "Platform/Sim/Desktop/SimDesktopLayout.h"
#include "Platform/Sim/SimHostPrompts.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <optional>

class QKeyEvent;
class QPainter;
class QScreen;
class SimControl;
class SimHost;
class SimStatusBar;
class SimStatusItem;

// The simulated desktop as a window a person can use: it stands for the
// whole screen of the simulated host. A menu bar across the top names the
// frontmost app and holds the status items on the right; below it the apps'
// windows are drawn where the model puts them, the frontmost one marked, and
// the minimized ones wait in a strip along the bottom.
//
// Keys typed into it reach the host's event tap exactly as the host's own
// keyboard would deliver them; what no tap consumes goes on to the frontmost
// app, whose window shows what was typed. The keys that reach one of the
// program's windows that never take the keyboard (its floating panels) go to
// the taps too: where no window has the keyboard, the window system hands
// the keys to the window under the pointer, while the host gives them to
// the app in front. What no tap consumes goes on to the panel; the
// program's other windows keep their keys. A click on a window brings it to
// the front; every click counts as a mouse-down in another application. Each
// time the frontmost window changes, one line says which it is now.
//
// The host's own dialogs (its permission prompts and privacy panes) appear in
// it too, one at a time, over a dimmed desktop: answering one there changes
// the permission in the model, as a person answering the host would.
class SimDesktopWindow final : public QWidget {
    Q_OBJECT
public:
    using PrintLine = std::function<void(const QString&)>;

    SimDesktopWindow(SimHost& host, SimControl& control, SimStatusBar& statusBar,
                     PrintLine printLine, QWidget* parent = nullptr);
    ~SimDesktopWindow() override;

    // Shows the window over the whole available area of the screen it is on,
    // and keeps it there when that area or the screen changes: the window's
    // coordinates are then the screen's, so whatever the program places on
    // the real screen lands over the simulated desktop where it would on a
    // real one.
    void showCoveringScreen();

    // The host's dialog on show, the oldest pending one; none while nothing
    // is asked.
    std::optional<SimHostPrompt> shownPrompt() const;

    // For tests and benchmarks: the product never calls these.
    // The shown prompt's buttons in the window's coordinates, for a click.
    std::optional<QRectF> promptButton(bool grant) const;

signals:
    // A mouse-down that went to another application than this program.
    void mouseDownElsewhere(MonitoredEvent::Type type);
    void closed();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Item;
    struct PromptGeometry;
    SimDesktopLayout::Mapping desktopMapping(const SimModel& model) const;
    std::optional<PromptGeometry> promptGeometry() const;
    void paintPrompt(QPainter& painter) const;
    void coverScreen(QScreen* screen);
    QList<Item> layoutItems(const SimModel& model) const;
    QRectF statusItemRect(int index) const;
    void placeStatusItems();
    void modelChanged();
    void handleKey(const QKeyEvent& event);
    void typeIntoFrontmostApp(const KeyEvent& event);
    void bringToFront(const SimDesktopLayout::WindowRef& window, bool unminimize);

    SimHost& m_host;
    SimControl& m_control;
    SimStatusBar& m_statusBar;
    PrintLine m_printLine;
    QList<pid_t> m_stacking;
    std::optional<std::optional<SimDesktopLayout::WindowRef>> m_printedFrontmost;
    QHash<quint64, QString> m_typed;
    SimStatusItem* m_pressedItem = nullptr;
    QMetaObject::Connection m_screenArea;
};
