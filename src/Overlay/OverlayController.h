#pragma once

#include "Models/Browser.h"
#include "Models/SafariWindow.h"
#include "Overlay/OverlayEnvironment.h"
#include "Overlay/OverlaySnapshots.h"
#include "Overlay/Panel/PanelPresenter.h"
#include "Overlay/Panel/PanelSurface.h"
#include "Overlay/WindowFilter.h"
#include "Platform/Threading/MainThreadQueue.h"
#include "Platform/Threading/SerialQueue.h"

#include <QHash>
#include <QList>
#include <QObject>
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
// something is, the metadata merges, filtering and selection, commit and hide.
// The snapshots and tint colours are kept by OverlaySnapshots, the panel on
// screen by PanelPresenter.
//
// The published fields below are properties with change signals; the views
// observe them and redraw. They change only through the calls below, each of
// which leaves them complete and consistent. Everything runs on the main
// thread; work done elsewhere reports back to it, and what arrives after the
// overlay was hidden is dropped.
class OverlayController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<SafariWindow> windows READ windows NOTIFY windowsChanged)
    Q_PROPERTY(QList<BrowserGroup> groups READ groups NOTIFY groupsChanged)
    Q_PROPERTY(QList<Browser> availableFilters READ availableFilters NOTIFY availableFiltersChanged)
    Q_PROPERTY(std::optional<Browser> activeFilter READ activeFilter NOTIFY activeFilterChanged)
    Q_PROPERTY(int selectedIndex READ selectedIndex NOTIFY selectedIndexChanged)
    Q_PROPERTY(std::optional<int> hoveredIndex READ hoveredIndex WRITE setHoveredIndex NOTIFY
                   hoveredIndexChanged)
    Q_PROPERTY(Snapshots snapshots READ snapshots NOTIFY snapshotsChanged)
    Q_PROPERTY(TintColors averageColors READ averageColors NOTIFY averageColorsChanged)
    Q_PROPERTY(QString searchQuery READ searchQuery NOTIFY searchQueryChanged)
    Q_PROPERTY(int columns READ columns NOTIFY columnsChanged)
    Q_PROPERTY(double panelContentWidth READ panelContentWidth NOTIFY panelContentWidthChanged)

public:
    using Snapshots = OverlaySnapshots::Images;
    using TintColors = OverlaySnapshots::Tints;

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
    const Snapshots& snapshots() const { return m_snapshots.images(); }
    const TintColors& averageColors() const { return m_snapshots.tints(); }
    // What the views draw again at every showing, kept across showings as the
    // panel is: the cards' thumbnails and lines, and the panel's background.
    CardDrawingCache& cardDrawingCache() { return m_snapshots.cardDrawingCache(); }
    PanelSurface& panelSurface() { return m_panelSurface; }
    QString searchQuery() const { return m_searchQuery; }
    int columns() const { return m_columns; }
    double panelContentWidth() const { return m_panelContentWidth; }
    // The width the cards are drawn at: the setting, held to the screen.
    double cardWidth() const { return m_presenter.cardWidth(panelContent()); }

    // Leaving the cards clears the hover; hoverCard() sets it within range.
    void setHoveredIndex(std::optional<int> index);

    // The highlighted card: the hovered one when set, else the selected one.
    int highlightedIndex() const { return m_hoveredIndex.value_or(m_selectedIndex); }

    // Plain state.
    std::optional<Browser> scope() const { return m_scope; }
    bool isVisible() const { return m_isVisible; }
    void setActivatedViaHotkey(bool value) { m_activatedViaHotkey = value; }
    OverlayPanel* panel() const { return m_presenter.panel(); }
    // The panel's frame in the host's bottom-left points; empty before the
    // first showing.
    QRectF panelFrame() const { return m_presenter.frame(); }

    const OverlayEnvironment& environment() const { return m_environment; }

    // Opening: +1 from the shortcut, -1 reversed, 0 from the menus; the scope
    // is the app of a Command+backtick showing.
    void show(int initialCycle, std::optional<Browser> scope);

    // Filtering and selection, one call per user action. Choosing a filter,
    // typing and deleting act only while a showing is on: each marks the
    // showing as adjusted by the user, starts again from the first card and
    // keeps the panel's top edge.
    // An app chip; none is "All".
    void chooseFilter(std::optional<Browser> filter);
    // Command+digit: 0 for all apps, 1 to 8 for the chips in order.
    void selectFilter(int index);
    // Typed text, added to the search.
    void type(const QString& text);
    // Delete: the search's last character.
    void backspaceSearch();
    // Tab, the shortcut, Left and Right.
    void cycle(int step);
    // Up and Down: by rows in a grid or a column, else by app group.
    void cycleRow(int step);
    // The pointer entered a card, or clicked one.
    void hoverCard(int index);
    void commitCard(int index);

    // The end of a showing: Return, the release of the shortcut's modifier,
    // and Escape.
    void commit();
    void handleModifierRelease();
    void hide();

    // For tests and benchmarks: the product never calls these.
    const QList<Browser>& sessionBrowsers() const { return m_sessionBrowsers; }
    bool activatedViaHotkey() const { return m_activatedViaHotkey; }
    // The user typed, deleted or chose a filter during this showing.
    bool userAdjusted() const { return m_userAdjusted; }
    // The per-app window cache, kept between showings.
    QList<SafariWindow> cachedWindows(Browser browser) const { return m_byBrowser.value(browser); }
    OverlayView* hostingView() const { return m_presenter.hostingView(); }
    // Waits for the background re-listings started so far and hands their
    // results over now, as the event loop would.
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
    // What a filter pass does with the selection and the hover: the first
    // card selected and no hover, or both kept on the windows they were on.
    enum class Selection { reset, kept };
    using Anchor = PanelPresenter::Anchor;

    // The card a showing opens on: +1 the window used before the one in
    // front (the second card when none is known), -1 the last card, 0 the
    // first; a scoped showing takes the second card for +1.
    int initialSelection(int step) const;
    QList<SafariWindow> sorted(const QList<SafariWindow>& windows) const;
    QList<SafariWindow> allWindowsOrdered() const;
    void refreshDiscoveryInBackground();
    void discoveryFinished(const QList<Browser>& browsers,
                           const QHash<Browser, QList<SafariWindow>>& found);
    // Merges the windows listed for each running scripted app of the
    // showing; returns those apps.
    QList<Browser> startMetadataMerges(const QHash<Browser, QList<SafariWindow>>& listed);
    void integrate(const QList<SafariWindow>& merged, Browser browser);

    // Rebuilds the published lists from the cache, the filter, the search and
    // the scope, then lays the panel out.
    void applyFilter(Selection selection, Anchor anchor);
    // Background results re-filter under the top edge once the user adjusted.
    Anchor backgroundAnchor() const { return m_userAdjusted ? Anchor::topEdge : Anchor::none; }
    // The user changed the filter or the search.
    void applyUserAdjustment();
    PanelPresenter::Content panelContent() const;

    void setVisible(bool visible);
    void setSearchQuery(const QString& query);
    void setSelectedIndex(int index);
    void setColumns(int columns);
    void setPanelContentWidth(double width);

    SafariWindowService& m_windowService;
    SafariMetadataService& m_metadataService;
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
    PanelSurface m_panelSurface;
    QString m_searchQuery;
    int m_columns = 1;
    double m_panelContentWidth = 0;

    QHash<Browser, QList<SafariWindow>> m_byBrowser;
    QList<Browser> m_sessionBrowsers;
    std::optional<Browser> m_scope;
    bool m_isVisible = false;
    bool m_activatedViaHotkey = false;
    bool m_userAdjusted = false;

    MainThreadQueue m_mainThread; // hands re-listings and capture runs back
    OverlaySnapshots m_snapshots;
    PanelPresenter m_presenter;
    // The background re-listings, one after another so that a later one's
    // lists are never overwritten by an earlier one's. Last: destroying it
    // waits for the running one, which posts to the queue above.
    SerialQueue m_discoveryQueue;
};
