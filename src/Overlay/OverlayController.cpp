#include "Overlay/OverlayController.h"

#include "Platform/ScreenCoordinates.h"
#include "Platform/Screens.h"
#include "Platform/Workspace.h"
#include "Services/PreferencesService.h"
#include "Services/RecentWindowTracker.h"
#include "Services/SafariMetadataService.h"
#include "Services/SafariWindowService.h"
#include "Services/SnapshotService.h"
#include "Services/WindowFocusService.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>
#include <QTextBoundaryFinder>
#include <QTimer>

#include <algorithm>
#include <future>
#include <limits>
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
      m_snapshotService(snapshotService), m_focusService(focusService), m_preferences(preferences),
      m_recentTracker(recentTracker), m_environment(environment)
{
}

OverlayController::~OverlayController()
{
    // A top-level window has no parent to take it along.
    delete m_panel.data();
}

void OverlayController::setActiveFilter(std::optional<Browser> filter)
{
    m_activeFilter = filter;
    emit activeFilterChanged();
}

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
    retireHostingView();
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
    if (!warm) {
        for (Browser app : std::as_const(m_sessionBrowsers))
            m_byBrowser.insert(app, sorted(m_windowService.discoverWindows(app)));
    }

    applyFilter(/*resetSelection=*/true, /*anchorLayout=*/false);
    const int count = int(m_windows.size());
    setSelectedIndex(count == 0 ? 0 : wrapped(count, initialCycle, count));

    preloadCachedSnapshots();
    presentPanel();
    setVisible(true);

    if (warm) {
        refreshDiscoveryInBackground();
    } else {
        startMetadataMerges();
        refreshSnapshots();
    }
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
    for (Browser app : browsers)
        m_byBrowser.insert(app, sorted(found.value(app)));
    applyFilter(/*resetSelection=*/false, /*anchorLayout=*/m_userAdjusted);
    preloadCachedSnapshots();
    startMetadataMerges();
    refreshSnapshots();
}

void OverlayController::finishBackgroundDiscovery()
{
    std::promise<void> reached;
    std::future<void> done = reached.get_future();
    m_discoveryQueue.async([&reached] { reached.set_value(); });
    done.wait();
    QCoreApplication::sendPostedEvents(&m_mainThread);
}

void OverlayController::startMetadataMerges()
{
    QList<Browser> order = m_sessionBrowsers;
    // The app the user is looking at is asked first.
    if (const std::optional<Browser> first = m_scope ? m_scope : m_activeFilter) {
        if (order.removeOne(*first))
            order.prepend(*first);
    }
    for (Browser app : std::as_const(order)) {
        if (!app.isScriptedApp() ||
            m_environment.workspace.runningApplications(app.bundleID()).isEmpty())
            continue;
        m_metadataService.mergeAndEnrichAsync(m_byBrowser.value(app), app, m_windowService, this,
                                              [this, app](const QList<SafariWindow>& merged) {
                                                  if (m_isVisible)
                                                      integrate(merged, app);
                                              });
    }
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
    applyFilter(/*resetSelection=*/false, /*anchorLayout=*/m_userAdjusted);
    registerCachedSnapshots(allWindowsOrdered(), CachedLookup::missing);
    refreshSnapshots();
}

void OverlayController::preloadCachedSnapshots()
{
    registerCachedSnapshots(m_windows, CachedLookup::missing);
}

void OverlayController::registerCachedSnapshots(const QList<SafariWindow>& windows,
                                                CachedLookup lookup)
{
    for (const SafariWindow& window : windows) {
        const QString id = window.id();
        // The documents of a document app share their window's number, so an
        // image from an earlier run could stand on a card it never showed.
        if (lookup == CachedLookup::missing &&
            (window.browser.isDocumentApp() || m_snapshots.contains(id)))
            continue;
        if (const std::optional<QImage> image = m_snapshotService.cachedImage(window.windowID))
            registerSnapshot(*image, id);
    }
}

void OverlayController::refreshSnapshots()
{
    if (!m_preferences.showWindowPreviews())
        return;
    // Every merge asks for a capture of every window. While one run is under
    // way the requests fold into a single run after it, so that quick
    // showings and many merges never pile up runs, each holding a full set
    // of images, faster than they finish; the last lists are still captured.
    if (m_snapshotRefreshRunning) {
        m_snapshotRefreshPending = true;
        return;
    }
    m_snapshotRefreshRunning = true;
    const QList<SafariWindow> windows = allWindowsOrdered();
    // The run's own table holds only this run's captures; the caches also
    // hold what earlier runs found.
    m_mainThread.postResult(m_snapshotService.refreshSnapshots(windows), this,
                            [this, windows](const QHash<quint32, QImage>&) {
                                m_snapshotRefreshRunning = false;
                                const bool again = std::exchange(m_snapshotRefreshPending, false);
                                if (!m_isVisible)
                                    return; // the next showing captures afresh
                                registerCachedSnapshots(windows, CachedLookup::every);
                                if (again)
                                    refreshSnapshots();
                            });
}

void OverlayController::registerSnapshot(const QImage& image, const QString& id)
{
    const auto previous = m_snapshots.constFind(id);
    const bool same = previous != m_snapshots.cend() && previous->cacheKey() == image.cacheKey();
    if (!same)
        m_cardDrawingCache.forgetSnapshot(id);
    m_snapshots.insert(id, image);
    emit snapshotsChanged();
    if (same && m_averageColors.contains(id))
        return;
    if (const std::optional<QColor> color = dominantTintColor(image))
        m_averageColors.insert(id, *color);
    else
        m_averageColors.remove(id);
    emit averageColorsChanged();
}

// ---- Filtering and selection ----

void OverlayController::applyFilter(bool resetSelection, bool anchorLayout)
{
    std::optional<QString> selectedId;
    if (m_selectedIndex >= 0 && m_selectedIndex < m_windows.size())
        selectedId = m_windows[m_selectedIndex].id();

    WindowFilterResult result =
        filterWindows(allWindowsOrdered(), m_activeFilter, m_scope, m_searchQuery);
    m_preferences.noteProfiles(result.profiles);

    const int selected =
        resetSelection ? 0 : keptSelection(result.windows, selectedId, m_selectedIndex);

    // Every field is in place before anyone hears of a change, so an
    // observer never sees a selection outside the new list.
    const bool filterDropped = m_activeFilter && !result.activeFilter;
    m_availableFilters = std::move(result.availableFilters);
    m_activeFilter = result.activeFilter;
    m_windows = std::move(result.windows);
    m_hoveredIndex.reset();
    m_groups = std::move(result.groups);
    m_selectedIndex = selected;
    emit availableFiltersChanged();
    if (filterDropped)
        emit activeFilterChanged();
    emit windowsChanged();
    emit hoveredIndexChanged();
    emit groupsChanged();
    emit selectedIndexChanged();

    layoutPanel(anchorLayout);
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

void OverlayController::selectFilter(int index)
{
    if (!m_isVisible || m_scope || m_availableFilters.size() < 2)
        return;
    m_userAdjusted = true;
    if (index < 1) {
        setActiveFilter(std::nullopt);
    } else {
        if (index > m_availableFilters.size())
            return;
        setActiveFilter(m_availableFilters[index - 1]);
    }
    applyFilter(/*resetSelection=*/true, /*anchorLayout=*/true);
}

void OverlayController::backspaceSearch()
{
    if (!m_isVisible || m_searchQuery.isEmpty())
        return;
    m_userAdjusted = true;
    // One user-perceived character: an emoji sequence or a letter with its
    // combining marks goes at once.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, m_searchQuery);
    graphemes.toEnd();
    const qsizetype start = graphemes.toPreviousBoundary();
    setSearchQuery(m_searchQuery.left(std::max<qsizetype>(start, 0)));
    applyFilter(/*resetSelection=*/true, /*anchorLayout=*/true);
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

// ---- The panel ----

QRectF OverlayController::panelFrame() const
{
    if (!m_panel)
        return {};
    return ScreenCoordinates::toBottomLeft(QRectF(m_panel->geometry()), primaryScreenGeometry());
}

QRectF OverlayController::primaryScreenGeometry()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? QRectF(primary->geometry()) : QRectF();
}

void OverlayController::retireHostingView()
{
    if (!m_hostingView)
        return;
    // The showing that begins draws in a view of its own: the last one stops
    // following the state at once instead of redrawing, hidden, at every
    // change until it goes.
    disconnect(this, nullptr, m_hostingView, nullptr);
    disconnect(&m_preferences, nullptr, m_hostingView, nullptr);
    m_panel->setContentView(nullptr);
    m_hostingView = nullptr;
}

void OverlayController::orderOut()
{
    // Out of sight the view has nothing more to show. It goes now, and the
    // next showing's view is built and installed, unseen, once control
    // returns to the event loop, so that neither costs the next showing.
    retireHostingView();
    QTimer::singleShot(0, this, &OverlayController::prepareNextView);
}

void OverlayController::prepareNextView()
{
    if (m_isVisible || !m_panel || m_nextView)
        return;
    m_nextView = makeView();
    m_panel->setContentView(m_nextView);
    m_nextView->ensurePolished();
}

OverlayView* OverlayController::makeView()
{
    return new OverlayView(*this, m_preferences, m_panel);
}

void OverlayController::presentPanel()
{
    if (!m_panel) {
        // The preferences and the workspace outlive the controller, which
        // deletes the panel.
        m_panel =
            new OverlayPanel([&preferences = m_preferences] { return preferences.cornerRadius(); },
                             m_environment.workspace);
        connect(m_panel, &OverlayPanel::moved, this, &OverlayController::panelMoved);
        connect(m_panel, &FloatingPanel::fadedOut, this, &OverlayController::orderOut);
    }
    if (m_nextView) {
        m_hostingView = m_nextView; // installed while the panel was out of sight
        m_nextView = nullptr;
    } else {
        m_hostingView = makeView();
        m_panel->setContentView(m_hostingView);
    }
    layoutPanel(/*anchorTopLeft=*/false);
    m_panel->setAppearance(panelAppearance(m_preferences.appearanceMode()));

    m_isProgrammaticMove = true; // showing delivers the pending move
    m_panel->fadeIn(fadeInMilliseconds);
    m_isProgrammaticMove = false;
}

void OverlayController::layoutPanel(bool anchorTopLeft)
{
    if (!m_panel)
        return;
    const Screens& host = m_environment.screens;
    const QList<ScreenInfo> screens = host.screens();
    const std::optional<ScreenInfo> target = targetScreen(
        screens, host.mainScreen(), host.mouseLocation(), m_preferences.preferredScreen());
    if (!target)
        return; // the panel keeps its frame

    PanelLayoutInput input;
    input.cardWidth = m_preferences.cardWidth();
    input.windowSpacing = m_preferences.windowSpacing();
    input.containerPadding = m_preferences.containerPadding();
    input.windowCount = int(m_windows.size());
    input.filterCount = int(m_availableFilters.size());
    input.scoped = m_scope.has_value();
    input.position = m_preferences.panelPosition();
    input.layoutMode = m_preferences.layoutMode();
    input.customCenter = m_preferences.customPanelCenter();
    input.visibleFrame = target->visibleFrame;
    if (anchorTopLeft)
        input.anchorFrame = panelFrame();
    input.screens = screens;
    const PanelLayoutResult result = computePanelLayout(input);

    setColumns(result.columns);
    setPanelContentWidth(result.contentWidth);
    m_isProgrammaticMove = true;
    m_panel->setGeometry(
        windowGeometry(ScreenCoordinates::toTopLeft(result.frame, primaryScreenGeometry())));
    m_isProgrammaticMove = false;
}

void OverlayController::panelMoved()
{
    if (!m_isVisible || m_isProgrammaticMove || !m_panel)
        return;
    const QRectF frame = panelFrame();
    const double midX = frame.x() + frame.width() / 2;
    // A panel on a side edge is remembered by its top centre, so that it
    // grows downwards from where it was put.
    const double y = isVertical(m_preferences.panelPosition()) ? frame.y() + frame.height()
                                                               : frame.y() + frame.height() / 2;
    m_preferences.setCustomPanelCenter(QPointF(midX, y));
}

// ---- The end of a showing ----

void OverlayController::commit()
{
    const int index = highlightedIndex();
    if (index >= 0 && index < m_windows.size()) {
        const SafariWindow chosen = m_windows[index];
        m_focusService.focus(chosen);
        m_recentTracker.bump(chosen.id());
    }
    hide();
}

void OverlayController::handleModifierRelease()
{
    if (!m_activatedViaHotkey)
        return; // a showing from a menu ends with Return, a click or Escape
    // With the pointer resting on a card that card is meant; elsewhere the
    // keyboard's selection is.
    if (m_panel && !frameContains(panelFrame(), m_environment.screens.mouseLocation()))
        setHoveredIndex(std::nullopt);
    commit();
}

void OverlayController::hide()
{
    setVisible(false);
    m_activatedViaHotkey = false;
    setSearchQuery(QString());
    m_scope.reset();
    if (m_panel)
        m_panel->fadeOut(fadeOutMilliseconds);
}

// ---- Tint colour ----

namespace {

struct ChannelSums {
    quint64 red = 0;
    quint64 green = 0;
    quint64 blue = 0;
};

// The premultiplied red, green and blue of every pixel added up, each pixel
// counting 255 × 255 at full value. An unpremultiplied pixel is weighed by
// its alpha here, which is exact and spares converting the whole image. Runs
// of up to 2^16 pixels are summed in 32 bits, which the compiler vectorises
// and which 2^16 × 255 × 255 still fits.
template <bool unpremultiplied> ChannelSums premultipliedSums(const QImage& pixels)
{
    constexpr int run = 1 << 16;
    const int width = pixels.width();
    ChannelSums sums;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int start = 0; start < width; start += run) {
            const int end = std::min(width, start + run);
            quint32 red = 0, green = 0, blue = 0;
            for (int x = start; x < end; ++x) {
                const QRgb pixel = line[x];
                const quint32 weight = unpremultiplied ? quint32(qAlpha(pixel)) : 1u;
                red += quint32(qRed(pixel)) * weight;
                green += quint32(qGreen(pixel)) * weight;
                blue += quint32(qBlue(pixel)) * weight;
            }
            sums.red += red;
            sums.green += green;
            sums.blue += blue;
        }
    }
    if (!unpremultiplied) {
        sums.red *= 255;
        sums.green *= 255;
        sums.blue *= 255;
    }
    return sums;
}

} // namespace

std::optional<QColor> dominantTintColor(const QImage& image)
{
    if (image.isNull())
        return std::nullopt;
    // Every pixel weighs the same, premultiplied as on a transparent canvas,
    // so that clear parts darken the average. Captures come premultiplied and
    // snapshots read back from disk unpremultiplied; both are read as they
    // are, anything else is converted once.
    ChannelSums sums;
    switch (image.format()) {
    case QImage::Format_ARGB32:
        sums = premultipliedSums<true>(image);
        break;
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB32:
        sums = premultipliedSums<false>(image);
        break;
    default: {
        const QImage converted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (converted.isNull())
            return std::nullopt;
        sums = premultipliedSums<false>(converted);
    }
    }
    const double scale = 255.0 * 255.0 * image.width() * image.height();
    const QColor average = QColor::fromRgbF(float(sums.red / scale), float(sums.green / scale),
                                            float(sums.blue / scale));
    float hue = 0, saturation = 0, brightness = 0;
    average.getHsvF(&hue, &saturation, &brightness);
    if (hue < 0)
        hue = 0; // Qt marks a grey as having no hue; the tint reads it as red's
    saturation = std::clamp(saturation * 1.4f, 0.25f, 0.8f);
    brightness = std::clamp(brightness, 0.35f, 0.75f);
    return QColor::fromHsvF(hue, saturation, brightness, 1.0f);
}
