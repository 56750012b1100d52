#pragma once

#include "Brand/FloatingPanel.h"
#include "MenuBar/MenuActions.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSizeF>

#include <memory>
#include <optional>
#include <vector>

class Clock;
class EventMonitorToken;
class EventMonitors;
class Screens;
class Workspace;

// Where the panel goes: centred under the status item's button, 6 points
// below it, kept 8 points inside the visible frame of the button's screen
// horizontally (the right edge wins when there is not room for both). An
// item in a tray along the bottom of the screen, where there is no room
// under it, has the panel 6 points above it instead. All in
// bottom-left-origin points.
QRectF menuPanelFrame(const QRectF& buttonFrame, const QSizeF& size,
                      const std::optional<QRectF>& visibleFrame);

// The small brand-styled panel that a plain click on the status item drops
// under it. It never takes the keyboard focus and never activates the
// program. While it is shown, a mouse-down anywhere else or Escape sent to
// the program closes it.
class MenuPanelController final : public QObject {
    Q_OBJECT
public:
    static constexpr double reopenGuardSeconds = 0.25;
    static constexpr int fadeInMilliseconds = 120;

    MenuPanelController(MenuActions actions, Screens& screens, Workspace& workspace,
                        EventMonitors& monitors, const Clock& clock, QObject* parent = nullptr);
    ~MenuPanelController() override;

    // A plain left click on the status item whose button has this frame
    // (bottom-left-origin points; empty when the button is not on screen).
    void toggle(const QRectF& buttonFrame);
    void hide();

    bool isShown() const;

    // For tests and benchmarks: the product never calls these.
    FloatingPanel* panel() const { return m_panel; }
    QDateTime lastHideTime() const { return m_lastHideTime; }

private:
    void show(const QRectF& buttonFrame);
    FloatingPanel* ensurePanel();
    void installMonitors();
    void removeMonitors();

    MenuActions m_actions;
    Screens& m_screens;
    Workspace& m_workspace;
    EventMonitors& m_monitors;
    const Clock& m_clock;
    QPointer<FloatingPanel> m_panel;
    std::vector<std::unique_ptr<EventMonitorToken>> m_eventMonitors;
    QDateTime m_lastHideTime; // invalid: the distant past
};
