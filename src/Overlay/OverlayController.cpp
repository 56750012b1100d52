#include "Overlay/OverlayController.h"

#include "Overlay/Panel/OverlayView.h"
#include "Overlay/Panel/PanelLayout.h"
#include "Platform/Screens.h"
#include "Platform/Workspace.h"
#include "Services/PreferencesService.h"
#include "Services/RecentWindowTracker.h"
#include "Services/SafariMetadataService.h"
#include "Services/SafariWindowService.h"
#include "Services/WindowFocusService.h"

#include <QCoreApplication>
#include <QSet>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <future>
#include <limits>
#include <utility>

namespace {

// The index `step` cards away from `base`, wrapping at both ends.
int wrapped(qint64 base, int step, int count)
{
    const qint64 index = (base + step) % count;
    return int(index < 0 ? index + count : index);
}

} // namespace

OverlayController::OverlayController(SafariWindowService& windowService,
                                     SafariMetadataService& metadataService,
                                     SnapshotService& snapshotService,
                                     WindowFocusService& focusService,
                                     PreferencesService& preferences,
                                     RecentWindowTracker& recentTracker,
                                     OverlayEnvironment environment, QObject* parent)
    : QObject(parent), m_windowService(windowService), m_metadataService(metadataService),
      m_focusService(focusService), m_preferences(preferences), m_recentTracker(recentTracker),
      m_environment(environment),
      m_snapshots(snapshotService, preferences, m_mainThread,
                  {[this] { return m_isVisible; }, [this] { return allWindowsOrdered(); }}),
      m_presenter(preferences, environment.screens, environment.workspace,
                  [this](QWidget* panel) { return new OverlayView(*this, m_preferences, panel); })
{
    connect(&m_snapshots, &OverlaySnapshots::imagesChanged, this,
            &OverlayController::snapshotsChanged);
    connect(&m_snapshots, &OverlaySnapshots::tintsChanged, this,
            &OverlayController::averageColorsChanged);
    connect(&m_presenter, &PanelPresenter::laidOut, this, [this](int columns, double width) {
        setColumns(columns);
        setPanelContentWidth(width);
    });
}

OverlayController::~OverlayController() = default;

void OverlayController::setHoveredIndex(std::optional<int> index)
{
    if (index && (*index < 0 || *index >= m_windows.size()))
        return;
    m_hoveredIndex = index;
    emit hoveredIndexChanged();
}

void OverlayController::setSearchQuery(const QString& query)
{
    m_searchQuery = query;
    emit searchQueryChanged();
}

void OverlayController::setVisible(bool visible)
{
    if (m_isVisible == visible)
        return;
    m_isVisible = visible;
    emit visibilityChanged(visible);
}

void OverlayController::setSelectedIndex(int index)
{
    m_selectedIndex = index;
    emit selectedIndexChanged();
}

void OverlayController::setColumns(int columns)
{
    m_columns = columns;
    emit columnsChanged();
}

void OverlayController::setPanelContentWidth(double width)
{
    m_panelContentWidth = width;
    emit panelContentWidthChanged();
}

// ---- Opening a showing ----

void OverlayController::show(int initialCycle, std::optional<Browser> scope)
{
    m_presenter.retireView();
    m_scope = scope;
    const QList<Browser> enabled = m_preferences.enabledBrowsersOrdered();
    const QList<Browser> observed = enabled.isEmpty() ? QList<Browser>{Browser::safari} : enabled;
    m_sessionBrowsers = scope ? QList<Browser>{*scope} : observed;
    // Focus changes in every enabled app count, also while one app is scoped.
    m_recentTracker.ensureObserving(observed);

    setSearchQuery(QString());
    m_userAdjusted = false;
    setHoveredIndex(std::nullopt);

    const bool warm =
        std::any_of(m_sessionBrowsers.cbegin(), m_sessionBrowsers.cend(),
                    [this](Browser app) { return !m_byBrowser.value(app).isEmpty(); });
    // A warm showing keeps its cached records but orders them by the present
    // recent use: the window the last commit brought to the front has to
    // lead its app, or a quick tap lands on it again instead of switching.
    for (Browser app : std::as_const(m_sessionBrowsers)) {
        m_byBrowser.insert(
            app, sorted(warm ? m_byBrowser.value(app) : m_windowService.discoverWindows(app)));
    }

    applyFilter(Selection::reset, Anchor::none);
    setSelectedIndex(initialSelection(initialCycle));

    m_snapshots.preloadCachedSnapshots(m_windows);
    m_presenter.present(panelContent());
    setVisible(true);

    if (warm) {
        refreshDiscoveryInBackground();
    } else {
        startMetadataMerges(m_byBrowser);
        m_snapshots.refreshSnapshots();
    }
}

int OverlayController::initialSelection(int step) const
{
    const int count = int(m_windows.size());
    if (count == 0)
        return 0;
    // The cards stand grouped by app, so the window used before the one in
    // front is not always the second card; the shortcut's first press goes
    // to it wherever it stands.
    if (step == 1 && !m_scope) {
        const std::optional<RunningApplication> frontmost =
            m_environment.workspace.frontmostApplication();
        const std::optional<Browser> frontmostApp =
            frontmost ? Browser::from(frontmost->bundleIdentifier) : std::nullopt;
        if (const std::optional<int> recent =
                recentSelection(m_windows, m_recentTracker.order(), frontmostApp))
            return *recent;
    }
    return wrapped(count, step, count);
}

QList<SafariWindow> OverlayController::sorted(const QList<SafariWindow>& windows) const
{
    if (m_preferences.sortOrder() != WindowSortOrder::recentlyUsed)
        return windows;
    const QStringList& order = m_recentTracker.order();
    QHash<QString, int> rankById;
    rankById.reserve(order.size());
    for (int i = int(order.size()) - 1; i >= 0; --i)
        rankById.insert(order[i], i); // the first occurrence wins
    QList<std::pair<int, SafariWindow>> ranked;
    ranked.reserve(windows.size());
    for (const SafariWindow& window : windows)
        ranked.append({rankById.value(window.id(), std::numeric_limits<int>::max()), window});
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<SafariWindow> result;
    result.reserve(ranked.size());
    for (auto& entry : ranked)
        result.append(std::move(entry.second));
    return result;
}

QList<SafariWindow> OverlayController::allWindowsOrdered() const
{
    QList<SafariWindow> all;
    for (Browser app : m_sessionBrowsers)
        all += m_byBrowser.value(app);
    return all;
}

// ---- Background work ----

void OverlayController::refreshDiscoveryInBackground()
{
    const QList<Browser> browsers = m_sessionBrowsers;
    const SafariWindowService& service = m_windowService;
    // The controller outlives the job: destroying the queue waits for it.
    m_discoveryQueue.async([this, browsers, &service] {
        QHash<Browser, QList<SafariWindow>> found;
        for (Browser app : browsers)
            found.insert(app, service.discoverWindows(app));
        m_mainThread.post([this, browsers, found] { discoveryFinished(browsers, found); });
    });
}

void OverlayController::discoveryFinished(const QList<Browser>& browsers,
                                          const QHash<Browser, QList<SafariWindow>>& found)
{
    if (!m_isVisible)
        return; // the cache keeps the lists it had
    QHash<Browser, QList<SafariWindow>> listed;
    for (Browser app : browsers)
        listed.insert(app, sorted(found.value(app)));
    const QList<Browser> merging = startMetadataMerges(listed);
    for (Browser app : browsers) {
        // A document app's plain windows are not its cards: the user may be
        // on a document that no window shows. Its cards stay until its merge
        // brings the new ones.
        if (!app.isDocumentApp() || !merging.contains(app))
            m_byBrowser.insert(app, listed.value(app));
    }
    applyFilter(Selection::kept, backgroundAnchor());
    m_snapshots.preloadCachedSnapshots(m_windows);
    m_snapshots.refreshSnapshots();
}

void OverlayController::finishBackgroundDiscovery()
{
    std::promise<void> reached;
    std::future<void> done = reached.get_future();
    m_discoveryQueue.async([&reached] { reached.set_value(); });
    done.wait();
    QCoreApplication::sendPostedEvents(&m_mainThread);
}

QList<Browser>
OverlayController::startMetadataMerges(const QHash<Browser, QList<SafariWindow>>& listed)
{
    QList<Browser> order = m_sessionBrowsers;
    // The app the user is looking at is asked first.
    if (const std::optional<Browser> first = m_scope ? m_scope : m_activeFilter) {
        if (order.removeOne(*first))
            order.prepend(*first);
    }
    QList<Browser> merging;
    for (Browser app : std::as_const(order)) {
        if (!app.isScriptedApp() ||
            m_environment.workspace.runningApplications(app.bundleID()).isEmpty())
            continue;
        merging << app;
        m_metadataService.mergeAndEnrichAsync(listed.value(app), app, m_windowService, this,
                                              [this, app](const QList<SafariWindow>& merged) {
                                                  if (m_isVisible)
                                                      integrate(merged, app);
                                              });
    }
    return merging;
}

void OverlayController::integrate(const QList<SafariWindow>& merged, Browser browser)
{
    if (browser.isDocumentApp()) {
        m_byBrowser.insert(browser, merged);
    } else {
        QHash<QString, SafariWindow> byId;
        for (const SafariWindow& window : merged) {
            const QString id = window.id();
            if (!byId.contains(id)) // the first of two with one id wins
                byId.insert(id, window);
        }
        QList<SafariWindow> cached = m_byBrowser.value(browser);
        QSet<QString> cachedIds;
        for (SafariWindow& window : cached) {
            const QString id = window.id();
            cachedIds.insert(id);
            if (const auto it = byId.constFind(id); it != byId.cend())
                window = it.value();
        }
        QList<SafariWindow> added;
        for (const SafariWindow& window : merged) {
            if (!cachedIds.contains(window.id()))
                added << window;
        }
        m_byBrowser.insert(browser, cached + sorted(added));
    }
    applyFilter(Selection::kept, backgroundAnchor());
    m_snapshots.preloadCachedSnapshots(allWindowsOrdered());
    m_snapshots.refreshSnapshots();
}

// ---- Filtering and selection ----

void OverlayController::applyFilter(Selection selection, Anchor anchor)
{
    // The pointer may rest on a card while a background pass lands: the
    // release commits the hovered card, so the hover follows its window as
    // the selection does.
    const auto windowAt = [this](std::optional<int> index) -> std::optional<SafariWindow> {
        if (index && *index >= 0 && *index < m_windows.size())
            return m_windows[*index];
        return std::nullopt;
    };
    const bool kept = selection == Selection::kept;
    const std::optional<SafariWindow> selectedWindow =
        kept ? windowAt(m_selectedIndex) : std::nullopt;
    const std::optional<SafariWindow> hoveredWindow =
        kept ? windowAt(m_hoveredIndex) : std::nullopt;

    WindowFilterResult result =
        filterWindows(allWindowsOrdered(), m_activeFilter, m_scope, m_searchQuery);
    m_preferences.noteProfiles(result.profiles);

    const int selected = kept ? keptSelection(result.windows, selectedWindow, m_selectedIndex) : 0;
    const std::optional<int> hovered =
        hoveredWindow ? sameWindowIndex(result.windows, *hoveredWindow) : std::nullopt;

    // Every field is in place before anyone hears of a change, so an
    // observer never sees a selection outside the new list.
    const bool filterDropped = m_activeFilter && !result.activeFilter;
    m_availableFilters = std::move(result.availableFilters);
    m_activeFilter = result.activeFilter;
    m_windows = std::move(result.windows);
    m_hoveredIndex = hovered;
    m_groups = std::move(result.groups);
    m_selectedIndex = selected;
    emit availableFiltersChanged();
    if (filterDropped)
        emit activeFilterChanged();
    emit windowsChanged();
    emit hoveredIndexChanged();
    emit groupsChanged();
    emit selectedIndexChanged();

    m_presenter.layout(panelContent(), anchor);
}

PanelPresenter::Content OverlayController::panelContent() const
{
    return {int(m_windows.size()), int(m_availableFilters.size()), m_scope.has_value()};
}

void OverlayController::applyUserAdjustment()
{
    m_userAdjusted = true;
    applyFilter(Selection::reset, Anchor::topEdge);
}

void OverlayController::chooseFilter(std::optional<Browser> filter)
{
    if (!m_isVisible)
        return; // the panel is fading out
    m_activeFilter = filter;
    emit activeFilterChanged();
    applyUserAdjustment();
}

void OverlayController::selectFilter(int index)
{
    if (!m_isVisible || m_scope || m_availableFilters.size() < 2)
        return;
    if (index > m_availableFilters.size()) {
        m_userAdjusted = true; // a key past the last chip counts all the same
        return;
    }
    chooseFilter(index < 1 ? std::nullopt : std::optional<Browser>(m_availableFilters[index - 1]));
}

void OverlayController::type(const QString& text)
{
    if (!m_isVisible)
        return;
    setSearchQuery(m_searchQuery + text);
    applyUserAdjustment();
}

void OverlayController::backspaceSearch()
{
    if (!m_isVisible || m_searchQuery.isEmpty())
        return;
    // One user-perceived character: an emoji sequence or a letter with its
    // combining marks goes at once.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, m_searchQuery);
    graphemes.toEnd();
    const qsizetype start = graphemes.toPreviousBoundary();
    setSearchQuery(m_searchQuery.left(std::max<qsizetype>(start, 0)));
    applyUserAdjustment();
}

void OverlayController::cycle(int step)
{
    if (m_windows.isEmpty())
        return;
    setSelectedIndex(wrapped(highlightedIndex(), step, int(m_windows.size())));
    setHoveredIndex(std::nullopt);
}

void OverlayController::cycleRow(int step)
{
    if (m_windows.isEmpty())
        return;
    if (m_hoveredIndex) {
        setSelectedIndex(*m_hoveredIndex);
        setHoveredIndex(std::nullopt);
    }
    const int count = int(m_windows.size());
    if (m_groups.size() < 2) {
        const bool vertical = isVertical(m_preferences.panelPosition());
        const bool grid = m_preferences.layoutMode() == LayoutMode::grid;
        if ((!vertical && !grid) || m_columns < 1)
            return; // a strip has no rows
        if (vertical) {
            cycle(step);
            return;
        }
        const qint64 target = qint64(m_selectedIndex) + qint64(step) * m_columns;
        if (target >= 0 && target < count)
            setSelectedIndex(int(target));
        return;
    }
    if (m_selectedIndex < 0 || m_selectedIndex >= count)
        return;
    const Browser app = m_windows[m_selectedIndex].browser;
    const auto group = std::find_if(m_groups.cbegin(), m_groups.cend(),
                                    [app](const BrowserGroup& g) { return g.browser == app; });
    if (group == m_groups.cend())
        return;
    const qint64 target = qint64(group - m_groups.cbegin()) + step;
    if (target < 0 || target >= m_groups.size())
        return;
    const QString firstId = m_groups[target].windows.first().id();
    for (int i = 0; i < count; ++i) {
        if (m_windows[i].id() == firstId) {
            setSelectedIndex(i);
            return;
        }
    }
}

void OverlayController::hoverCard(int index)
{
    if (index >= 0 && index < m_windows.size())
        setHoveredIndex(index);
}

void OverlayController::commitCard(int index)
{
    if (index < 0 || index >= m_windows.size())
        return;
    setHoveredIndex(index);
    commit();
}

// ---- The end of a showing ----

void OverlayController::commit()
{
    const int index = highlightedIndex();
    if (index >= 0 && index < m_windows.size()) {
        const SafariWindow chosen = m_windows[index];
        m_recentTracker.bumpChoice(chosen, m_focusService.focus(chosen));
    }
    hide();
}

void OverlayController::handleModifierRelease()
{
    if (!m_activatedViaHotkey)
        return; // a showing from a menu ends with Return, a click or Escape
    // With the pointer resting on a card that card is meant; elsewhere the
    // keyboard's selection is.
    if (panel() && !frameContains(panelFrame(), m_environment.screens.mouseLocation()))
        setHoveredIndex(std::nullopt);
    commit();
}

void OverlayController::hide()
{
    setVisible(false);
    m_activatedViaHotkey = false;
    setSearchQuery(QString());
    m_scope.reset();
    m_presenter.dismiss();
}
