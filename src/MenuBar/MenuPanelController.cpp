#include "MenuBar/MenuPanelController.h"

#include "MenuBar/MenuPanelView.h"
#include "Platform/Clock.h"
#include "Platform/EventMonitors.h"
#include "Platform/KeyCode.h"
#include "Platform/ScreenCoordinates.h"
#include "Platform/Screens.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

QRectF menuPanelFrame(const QRectF& buttonFrame, const QSizeF& size,
                      const std::optional<QRectF>& visibleFrame)
{
    double x = buttonFrame.center().x() - size.width() / 2;
    double y = buttonFrame.y() - size.height() - 6;
    if (visibleFrame) {
        x = std::max(x, visibleFrame->left() + 8);
        x = std::min(x, visibleFrame->right() - size.width() - 8);
        // Under an item at the top of the screen there is always room; under
        // one in a bottom panel the panel would open out of sight.
        if (y < visibleFrame->y())
            y = buttonFrame.y() + buttonFrame.height() + 6;
    }
    return QRectF(QPointF(x, y), size);
}

namespace {

// The screen whose frame holds the button's centre, else the nearest one.
std::optional<ScreenInfo> screenOf(const QRectF& buttonFrame, const Screens& screens)
{
    const QList<ScreenInfo> all = screens.screens();
    const QPointF centre = buttonFrame.center();
    for (const ScreenInfo& screen : all) {
        if (screen.frame.contains(centre))
            return screen;
    }
    std::optional<ScreenInfo> nearest;
    double best = 0;
    for (const ScreenInfo& screen : all) {
        const QPointF delta = screen.frame.center() - centre;
        const double distance = QPointF::dotProduct(delta, delta);
        if (!nearest || distance < best) {
            nearest = screen;
            best = distance;
        }
    }
    return nearest;
}

} // namespace

MenuPanelController::MenuPanelController(MenuActions actions, Screens& screens,
                                         Workspace& workspace, EventMonitors& monitors,
                                         const Clock& clock, QObject* parent)
    : QObject(parent), m_actions(std::move(actions)), m_screens(screens), m_workspace(workspace),
      m_monitors(monitors), m_clock(clock)
{
}

MenuPanelController::~MenuPanelController()
{
    removeMonitors();
    delete m_panel;
}

bool MenuPanelController::isShown() const
{
    return m_panel && m_panel->isVisible();
}

void MenuPanelController::toggle(const QRectF& buttonFrame)
{
    if (isShown()) {
        hide();
        return;
    }
    // The click that closed the panel through the mouse-down monitor ends
    // with this mouse-up; it must not open the panel again.
    if (m_lastHideTime.isValid() &&
        m_lastHideTime.msecsTo(m_clock.now()) < qint64(reopenGuardSeconds * 1000)) {
        hide();
        return;
    }
    show(buttonFrame);
}

FloatingPanel* MenuPanelController::ensurePanel()
{
    if (m_panel)
        return m_panel;
    m_panel = new FloatingPanel(
        QStringLiteral("Tessel Nav"), [] { return MenuPanelView::cornerRadius; }, m_workspace);
    m_panel->setContentView(new MenuPanelView(m_actions));
    return m_panel;
}

void MenuPanelController::show(const QRectF& buttonFrame)
{
    FloatingPanel* panel = ensurePanel();
    if (buttonFrame.isEmpty() || !panel->contentView())
        return;
    panel->adjustSize();
    const QSizeF size = panel->sizeHint();
    const std::optional<ScreenInfo> screen = screenOf(buttonFrame, m_screens);
    const QRectF frame = menuPanelFrame(
        buttonFrame, size, screen ? std::optional(screen->visibleFrame) : std::nullopt);
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRectF placed =
        ScreenCoordinates::toTopLeft(frame, primary ? QRectF(primary->geometry()) : QRectF());
    panel->setGeometry(placed.toAlignedRect());
    panel->fadeIn(fadeInMilliseconds);
    installMonitors();
}

void MenuPanelController::installMonitors()
{
    removeMonitors();
    QPointer<MenuPanelController> self(this);
    auto global = m_monitors.addGlobalMonitor(
        MonitorMask::leftMouseDown | MonitorMask::rightMouseDown, [self](const MonitoredEvent&) {
            if (self)
                self->hide();
        });
    auto local = m_monitors.addLocalMonitor(
        MonitorMask::leftMouseDown | MonitorMask::rightMouseDown | MonitorMask::keyDown,
        [self](const MonitoredEvent& event) {
            if (!self || !self->isShown())
                return false;
            if (event.type == MonitoredEvent::Type::keyDown) {
                if (event.keyCode != KeyCode::escape)
                    return false;
                self->hide();
                return true;
            }
            const QWidget* panel = self->m_panel;
            if (event.window == nullptr ||
                event.window != static_cast<const QObject*>(panel->windowHandle()))
                self->hide();
            return false;
        });
    if (global)
        m_eventMonitors.push_back(std::move(global));
    if (local)
        m_eventMonitors.push_back(std::move(local));
}

void MenuPanelController::removeMonitors()
{
    m_eventMonitors.clear();
}

void MenuPanelController::hide()
{
    removeMonitors();
    if (!isShown())
        return;
    m_lastHideTime = m_clock.now();
    m_panel->hide();
}
