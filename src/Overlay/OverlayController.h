#pragma once

#include "Models/Browser.h"
#include "Models/SafariWindow.h"
#include "Overlay/CardDrawingCache.h"
#include "Overlay/OverlayEnvironment.h"
#include "Overlay/OverlayPanel.h"
#include "Overlay/OverlayView.h"
#include "Overlay/PanelLayout.h"
#include "Overlay/PanelSurface.h"
#include "Overlay/WindowFilter.h"
#include "Services/MainThreadQueue.h"
#include "Services/SerialQueue.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class PreferencesService;
class RecentWindowTracker;
class SafariMetadataService;
class SafariWindowService;
class SnapshotService;
class WindowFocusService;

// Everything the switcher shows, and the showing itself: the per-app window
// cache, listing when nothing is cached and re-listing in the background when
// something is, the metadata merges, snapshots and tint colours, filtering and
// selection, the panel's size and place, commit and hide.
//
// The published fields below are properties with change signals; the views
// observe them and redraw. Everything runs on the main thread; work done
// elsewhere reports back to it, and what arrives after the overlay was hidden
// is dropped.
class OverlayController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<SafariWindow> windows READ windows NOTIFY windowsChanged)
    Q_PROPERTY(QList<BrowserGroup> groups READ groups NOTIFY groupsChanged)
    Q_PROPERTY(QList<Browser> availableFilters READ availableFilters NOTIFY availableFiltersChanged)
    Q_PROPERTY(std::optional<Browser> activeFilter READ activeFilter WRITE setActiveFilter NOTIFY
                   activeFilterChanged)
    Q_PROPERTY(int selectedIndex READ selectedIndex NOTIFY selectedIndexChanged)
    Q_PROPERTY(std::optional<int> hoveredIndex READ hoveredIndex WRITE setHoveredIndex NOTIFY
                   hoveredIndexChanged)
    Q_PROPERTY(Snapshots snapshots READ snapshots NOTIFY snapshotsChanged)
    Q_PROPERTY(TintColors averageColors READ averageColors NOTIFY averageColorsChanged)
    Q_PROPERTY(QString searchQuery READ searchQuery WRITE setSearchQuery NOTIFY searchQueryChanged)
    Q_PROPERTY(int columns READ columns NOTIFY columnsChanged)
    Q_PROPERTY(double panelContentWidth READ panelContentWidth NOTIFY panelContentWidthChanged)

public:
    using Snapshots = QHash<QString, QImage>;  // by SafariWindow::id()
    using TintColors = QHash<QString, QColor>; // by SafariWindow::id()

    OverlayController(SafariWindowService& windowService, SafariMetadataService& metadataService,
                      SnapshotService& snapshotService, WindowFocusService& focusService,
                      PreferencesService& preferences, RecentWindowTracker& recentTracker,
                      OverlayEnvironment environment, QObject* parent = nullptr);
    ~OverlayController() override;

    // Published.
    const QList<SafariWindow>& windows() const { return m_windows; }
    const QList<BrowserGroup>& groups() const { return m_groups; }
    const QList<Browser>& availableFilters() const { return m_availableFilters; }
    std::optional<Browser> activeFilter() const { return m_activeFilter; }
    int selectedIndex() const { return m_selectedIndex; }
    std::optional<int> hoveredIndex() const { return m_hoveredIndex; }
    const Snapshots& snapshots() const { return m_snapshots; }
    const TintColors& averageColors() const { return m_averageColors; }
    // What the views draw again at every showing, kept across showings as the
    // panel is: the cards' thumbnails and lines, and the panel's background.
    CardDrawingCache& cardDrawingCache() { return m_cardDrawingCache; }
    const CardDrawingCache& cardDrawingCache() const { return m_cardDrawingCache; }
    PanelSurface& panelSurface() { return m_panelSurface; }
    QString searchQuery() const { return m_searchQuery; }
    int columns() const { return m_columns; }
    double panelContentWidth() const { return m_panelContentWidth; }

    void setActiveFilter(std::optional<Browser> filter);
    // Leaving the cards clears the hover; hoverCard() sets it within range.
    void setHoveredIndex(std::optional<int> index);
    void setSearchQuery(const QString& query);

    // The highlighted card: the hovered one when set, else the selected one.
    int highlightedIndex() const { return m_hoveredIndex.value_or(m_selectedIndex); }

    // Plain state.
    const QList<Browser>& sessionBrowsers() const { return m_sessionBrowsers; }
    std::optional<Browser> scope() const { return m_scope; }
    bool isVisible() const { return m_isVisible; }
    bool activatedViaHotkey() const { return m_activatedViaHotkey; }
    void setActivatedViaHotkey(bool value) { m_activatedViaHotkey = value; }
    bool userAdjusted() const { return m_userAdjusted; }
    void setUserAdjusted(bool value) { m_userAdjusted = value; }
    // The per-app window cache, kept between showings.
    QList<SafariWindow> cachedWindows(Browser browser) const { return m_byBrowser.value(browser); }
    OverlayPanel* panel() const { return m_panel; }
    OverlayView* hostingView() const { return m_hostingView; }
    // The panel's frame in the host's bottom-left points; empty before the
    // first showing.
    QRectF panelFrame() const;

    PreferencesService& preferences() const { return m_preferences; }
    const OverlayEnvironment& environment() const { return m_environment; }

    // Opening: +1 from the shortcut, -1 reversed, 0 from the menus; the scope
    // is the app of a Command+backtick showing.
    void show(int initialCycle, std::optional<Browser> scope);

    // Filtering and selection.
    void applyFilter(bool resetSelection, bool anchorLayout);
    void cycle(int step);
    void cycleRow(int step);
    void selectFilter(int index);
    void backspaceSearch();
    void hoverCard(int index);
    void commitCard(int index);

    // The end of a showing.
    void commit();
    void handleModifierRelease();
    void hide();

    // Waits for the background re-listings started so far and hands their
    // results over now, as the event loop would. Never needed by the
    // product; tests and benchmarks use it.
    void finishBackgroundDiscovery();

signals:
    void windowsChanged();
    void groupsChanged();
    void availableFiltersChanged();
    void activeFilterChanged();
    void selectedIndexChanged();
    void hoveredIndexChanged();
    void snapshotsChanged();
    void averageColorsChanged();
    void searchQueryChanged();
    void columnsChanged();
    void panelContentWidthChanged();
    // isVisible changed: the showing began or ended.
    void visibilityChanged(bool visible);

private:
    QList<SafariWindow> sorted(const QList<SafariWindow>& windows) const;
    QList<SafariWindow> allWindowsOrdered() const;
    void refreshDiscoveryInBackground();
    void discoveryFinished(const QList<Browser>& browsers,
                           const QHash<Browser, QList<SafariWindow>>& found);
    void startMetadataMerges();
    void integrate(const QList<SafariWindow>& merged, Browser browser);
    void preloadCachedSnapshots();
    // Windows without an image yet, documents aside, or every window.
    enum class CachedLookup { missing, every };
    void registerCachedSnapshots(const QList<SafariWindow>& windows, CachedLookup lookup);
    void refreshSnapshots();
    void registerSnapshot(const QImage& image, const QString& id);

    void retireHostingView();
    void orderOut();
    void prepareNextView();
    OverlayView* makeView();
    void presentPanel();
    void layoutPanel(bool anchorTopLeft);
    void panelMoved();
    // Where the host's points begin: its origin is this screen's bottom-left corner.
    static QRectF primaryScreenGeometry();

    void setVisible(bool visible);
    void setSelectedIndex(int index);
    void setColumns(int columns);
    void setPanelContentWidth(double width);

    SafariWindowService& m_windowService;
    SafariMetadataService& m_metadataService;
    SnapshotService& m_snapshotService;
    WindowFocusService& m_focusService;
    PreferencesService& m_preferences;
    RecentWindowTracker& m_recentTracker;
    OverlayEnvironment m_environment;

    QList<SafariWindow> m_windows;
    QList<BrowserGroup> m_groups;
    QList<Browser> m_availableFilters;
    std::optional<Browser> m_activeFilter;
    int m_selectedIndex = 0;
    std::optional<int> m_hoveredIndex;
    Snapshots m_snapshots;
    TintColors m_averageColors;
    CardDrawingCache m_cardDrawingCache;
    PanelSurface m_panelSurface;
    QString m_searchQuery;
    int m_columns = 1;
    double m_panelContentWidth = 0;

    QHash<Browser, QList<SafariWindow>> m_byBrowser;
    QList<Browser> m_sessionBrowsers;
    std::optional<Browser> m_scope;
    bool m_isVisible = false;
    bool m_activatedViaHotkey = false;
    QPointer<OverlayPanel> m_panel;
    QPointer<OverlayView> m_hostingView;
    QPointer<OverlayView> m_nextView; // the next showing's, installed but never shown yet
    bool m_isProgrammaticMove = false;
    bool m_userAdjusted = false;
    bool m_snapshotRefreshRunning = false; // a capture run has not reported yet
    bool m_snapshotRefreshPending = false; // another was asked for meanwhile

    MainThreadQueue m_mainThread; // hands re-listings and capture runs back
    // The background re-listings, one after another so that a later one's
    // lists are never overwritten by an earlier one's. Last: destroying it
    // waits for the running one, which posts to the queue above.
    SerialQueue m_discoveryQueue;
};

// The average colour of an image made into a tint: saturation × 1.4 kept
// within 0.25 to 0.8, brightness within 0.35 to 0.75. None for an image
// whose average cannot be taken.
std::optional<QColor> dominantTintColor(const QImage& image);
