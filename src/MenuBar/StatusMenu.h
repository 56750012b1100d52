#pragma once

#include "Models/Browser.h"
#include "Models/SafariWindow.h"
#include "Platform/Threading/MainThreadQueue.h"

#include <QHash>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class PermissionsService;
class ScrollingMenuStyle;
class PreferencesService;
class SafariMetadataService;
class SafariWindowService;
class SnapshotService;
class UrlOpener;
class WindowFocusService;
class Workspace;

// The plain menu that a right click or a Control-click on the status item
// opens: the program's commands and the Debug submenu with its three tools,
// a report of every window the program sees, an export of fresh snapshots,
// and a submenu listing every window to focus one. Main thread only; the
// scripting it starts while open runs on the metadata service's queue.
class StatusMenu final : public QObject {
    Q_OBJECT
public:
    struct Services {
        SafariWindowService& windowService;
        SafariMetadataService& metadataService;
        SnapshotService& snapshotService;
        WindowFocusService& focusService;
        PermissionsService& permissions;
        PreferencesService& preferences;
        Workspace& workspace;
        UrlOpener& urlOpener;
    };
    // What the menu asks of the application.
    struct Commands {
        std::function<void()> showSwitcher;
        std::function<void()> showSettings;
        std::function<void()> showOnboarding;
        std::function<void()> quit;
        std::function<void(const QString& title, const QString& text)> showInfo;
        std::function<void(const QString& line)> printLine;
    };

    StatusMenu(Services services, Commands commands, QObject* parent = nullptr);
    ~StatusMenu() override;

    // The menu, built once and kept.
    QMenu* menu() const { return m_menu.get(); }

    // A window's name in menus and reports: its title, else its domain, else
    // "Untitled Window".
    static QString displayName(const SafariWindow& window);
    // The snapshot export folder, in the user's runtime folder; else in a
    // private folder that the first call makes in the temporary folder and
    // every later one gives again while it is there. None when no private
    // folder can be made.
    std::optional<QString> exportFolder();

    // The menu is about to open: list every enabled app's windows now, then
    // merge each scriptable running app's metadata in the background.
    void menuWillOpen();
    // The Focus Window submenu is about to open.
    void menuNeedsUpdate();
    void rebuildFocusSubmenu();
    // The Focus Window item with this tag was chosen.
    void focusWindow(int tag);
    // Every enabled app's windows with scripting metadata, synchronously.
    QList<SafariWindow> discoverAllWindows();
    void logSafariWindows();
    void saveSnapshots();

    // The exact texts these tools show.
    static QString accessibilityNeededTitle();
    static QString accessibilityNeededText();

    // For tests and benchmarks: the product never calls these.
    QMenu* focusSubmenu() const { return m_focusSubmenu; }
    // The windows behind the Focus Window items; each item's tag indexes it.
    const QList<SafariWindow>& menuWindows() const { return m_menuWindows; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    bool anyEnabledAppRunning() const;
    bool isRunning(Browser browser) const;
    bool ensureAccessibility();
    QList<SafariWindow> accessibilityWindows(const QList<Browser>& browsers) const;
    QList<std::pair<Browser, QString>> orderedErrors() const;
    void integrate(Browser browser, const QList<Browser>& openList,
                   const QList<SafariWindow>& merged);

    Services m_services;
    Commands m_commands;
    std::unique_ptr<ScrollingMenuStyle> m_menuStyle; // outlives the menus
    std::unique_ptr<QMenu> m_menu;
    QPointer<QMenu> m_focusSubmenu;
    QList<SafariWindow> m_menuWindows;
    // Made in the temporary folder when there is no runtime folder; empty
    // until then.
    QString m_standInFolder;
    // Last: the export's result comes back through it while the menu exists.
    MainThreadQueue m_mainThread;
};
