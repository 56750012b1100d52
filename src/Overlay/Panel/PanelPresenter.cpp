#include "Overlay/Panel/PanelPresenter.h"

#include "Overlay/Panel/PanelLayout.h"
#include "Platform/ScreenCoordinates.h"
#include "Platform/Screens.h"
#include "Platform/Workspace.h"
#include "Services/PreferencesService.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <optional>
#include <utility>

namespace {

constexpr int fadeInMilliseconds = 140;
constexpr int fadeOutMilliseconds = 120;

std::optional<OverlayPanel::Appearance> panelAppearance(AppearanceMode mode)
{
    switch (mode) {
    case AppearanceMode::system:
        return std::nullopt;
    case AppearanceMode::dark:
        return OverlayPanel::Appearance::darkAqua;
    case AppearanceMode::light:
    case AppearanceMode::tessel: // the brand theme draws on a light look
        return OverlayPanel::Appearance::aqua;
    }
    return std::nullopt;
}

// Where the host's points begin: its origin is this screen's bottom-left corner.
QRectF primaryScreenGeometry()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? QRectF(primary->geometry()) : QRectF();
}

} // namespace

PanelPresenter::PanelPresenter(PreferencesService& preferences, Screens& screens,
                               Workspace& workspace, ViewFactory makeView, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_screens(screens), m_workspace(workspace),
      m_makeView(std::move(makeView))
{
}

PanelPresenter::~PanelPresenter()
{
    // A top-level window has no parent to take it along.
    delete m_panel.data();
}

QRectF PanelPresenter::frame() const
{
    if (!m_panel)
        return {};
    return ScreenCoordinates::toBottomLeft(QRectF(m_panel->geometry()), primaryScreenGeometry());
}

void PanelPresenter::retireView()
{
    if (!m_hostingView)
        return;
    // The showing that begins draws in a view of its own: the last one stops
    // following the state at once instead of redrawing, hidden, at every
    // change until it goes.
    m_hostingView->stopObserving();
    m_panel->setContentView(nullptr);
    m_hostingView = nullptr;
}

void PanelPresenter::orderOut()
{
    // Out of sight the view has nothing more to show. It goes now, and the
    // next showing's view is built and installed, unseen, once control
    // returns to the event loop, so that neither costs the next showing.
    retireView();
    QTimer::singleShot(0, this, &PanelPresenter::prepareNextView);
}

void PanelPresenter::prepareNextView()
{
    if (m_presented || !m_panel || m_nextView)
        return;
    m_nextView = m_makeView(m_panel);
    m_panel->setContentView(m_nextView);
    m_nextView->ensurePolished();
}

void PanelPresenter::makePanel()
{
    // The preferences and the workspace outlive the presenter, which deletes
    // the panel.
    m_panel = new OverlayPanel(
        [&preferences = m_preferences] { return preferences.cornerRadius(); }, m_workspace);
    connect(m_panel, &OverlayPanel::moved, this, &PanelPresenter::panelMoved);
    connect(m_panel, &FloatingPanel::fadedOut, this, &PanelPresenter::orderOut);
}

void PanelPresenter::present(const Content& content)
{
    if (!m_panel)
        makePanel();
    if (m_nextView) {
        m_hostingView = m_nextView; // installed while the panel was out of sight
        m_nextView = nullptr;
    } else {
        m_hostingView = m_makeView(m_panel);
        m_panel->setContentView(m_hostingView);
    }
    layout(content, Anchor::none);
    m_panel->setAppearance(panelAppearance(m_preferences.appearanceMode()));

    m_isProgrammaticMove = true; // showing delivers the pending move
    m_panel->fadeIn(fadeInMilliseconds);
    m_isProgrammaticMove = false;
    m_presented = true;
}

std::optional<PanelLayoutInput> PanelPresenter::layoutInput(const Content& content) const
{
    const QList<ScreenInfo> screens = m_screens.screens();
    const std::optional<ScreenInfo> target =
        targetScreen(screens, m_screens.mainScreen(), m_screens.mouseLocation(),
                     m_preferences.preferredScreen());
    if (!target)
        return std::nullopt;
    PanelLayoutInput input;
    input.cardWidth = m_preferences.cardWidth();
    input.windowSpacing = m_preferences.windowSpacing();
    input.containerPadding = m_preferences.containerPadding();
    input.windowCount = content.windowCount;
    input.filterCount = content.filterCount;
    input.scoped = content.scoped;
    input.position = m_preferences.panelPosition();
    input.layoutMode = m_preferences.layoutMode();
    input.customCenter = m_preferences.customPanelCenter();
    input.visibleFrame = target->visibleFrame;
    input.screens = screens;
    return input;
}

double PanelPresenter::cardWidth(const Content& content) const
{
    const std::optional<PanelLayoutInput> input = layoutInput(content);
    return input ? cardWidthOnScreen(*input) : m_preferences.cardWidth();
}

void PanelPresenter::layout(const Content& content, Anchor anchor)
{
    if (!m_panel)
        return;
    std::optional<PanelLayoutInput> input = layoutInput(content);
    if (!input)
        return; // the panel keeps its frame
    if (anchor == Anchor::topEdge)
        input->anchorFrame = frame();
    const PanelLayoutResult result = computePanelLayout(*input);

    emit laidOut(result.columns, result.contentWidth);
    m_isProgrammaticMove = true;
    m_panel->setGeometry(
        windowGeometry(ScreenCoordinates::toTopLeft(result.frame, primaryScreenGeometry())));
    m_isProgrammaticMove = false;
}

void PanelPresenter::panelMoved()
{
    if (!m_presented || m_isProgrammaticMove || !m_panel)
        return;
    const QRectF moved = frame();
    const double midX = moved.x() + moved.width() / 2;
    // A panel on a side edge is remembered by its top centre, so that it
    // grows downwards from where it was put.
    const double y = isVertical(m_preferences.panelPosition()) ? moved.y() + moved.height()
                                                               : moved.y() + moved.height() / 2;
    m_preferences.setCustomPanelCenter(QPointF(midX, y));
}

void PanelPresenter::dismiss()
{
    m_presented = false;
    if (m_panel)
        m_panel->fadeOut(fadeOutMilliseconds);
}
