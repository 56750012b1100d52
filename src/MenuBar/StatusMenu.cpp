#include "MenuBar/StatusMenu.h"

#include "MenuBar/ScrollingMenuStyle.h"

#include "Platform/UrlOpener.h"
#include "Platform/Workspace.h"
#include "Services/PermissionsService.h"
#include "Services/PreferencesService.h"
#include "Services/SafariMetadataService.h"
#include "Services/SafariWindowService.h"
#include "Services/SnapshotService.h"
#include "Services/WindowFocusService.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

#include <unistd.h>

namespace {

const QString warningSign = QStringLiteral("\u26A0\uFE0F");
const QString missing = QStringLiteral("\u2013");

QString orMissing(const std::optional<QString>& value)
{
    return value ? *value : missing;
}

// A menu item's text marks its keyboard mnemonic with an ampersand; window
// titles and error messages are shown as they are.
QString literalItemText(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// Where the folder that stands in for the runtime folder is made.
QString standInTemplate()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("TesselNav-XXXXXX"));
}

bool isOwnFolder(const QString& path)
{
    const QFileInfo folder(path);
    return folder.isDir() && !folder.isSymLink() && folder.ownerId() == ::geteuid();
}

} // namespace

StatusMenu::StatusMenu(Services services, Commands commands, QObject* parent)
    : QObject(parent), m_services(services), m_commands(std::move(commands))
{
    buildMenu();
}

StatusMenu::~StatusMenu() = default;

QString StatusMenu::accessibilityNeededText()
{
    return tr("Tessel Nav uses Accessibility to list and focus browser windows. Enable it in "
              "System Settings → Privacy & Security → Accessibility, then relaunch the app.");
}

QString StatusMenu::accessibilityNeededTitle()
{
    return tr("Accessibility needed");
}

QString StatusMenu::displayName(const SafariWindow& window)
{
    if (!window.title.isEmpty())
        return window.title;
    if (const auto domain = window.domain())
        return *domain;
    return tr("Untitled Window");
}

std::optional<QString> StatusMenu::exportFolder()
{
    // The temporary folder is shared by every user; the runtime folder is
    // this user's alone (Qt gives none rather than one that is not). Without
    // it, a new folder that only this user can enter takes its place, kept
    // so that every export lands in it. Once it is cleaned away, its name,
    // which anyone may have seen, could be taken by anyone: another new one
    // serves then, and no name known beforehand is ever made there. The
    // export refuses a link or a stranger's folder wherever it lands.
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty()) {
        if (!isOwnFolder(m_standInFolder)) {
            QTemporaryDir own(standInTemplate());
            own.setAutoRemove(false);
            m_standInFolder = own.isValid() ? own.path() : QString();
        }
        if (m_standInFolder.isEmpty())
            return std::nullopt;
        base = m_standInFolder;
    }
    return QDir(base).filePath(QStringLiteral("TesselNav-Snapshots"));
}

void StatusMenu::buildMenu()
{
    m_menu = std::make_unique<QMenu>();
    QMenu* menu = m_menu.get();
    const auto call = [](const std::function<void()>& command) {
        return [command] {
            if (command)
                command();
        };
    };
    connect(menu->addAction(tr("Show Switcher")), &QAction::triggered, this,
            call(m_commands.showSwitcher));
    menu->addSeparator();
    QAction* settings = menu->addAction(tr("Settings…"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings, &QAction::triggered, this, call(m_commands.showSettings));
    connect(menu->addAction(tr("Permissions Setup…")), &QAction::triggered, this,
            call(m_commands.showOnboarding));
    menu->addSeparator();

    QMenu* debug = menu->addMenu(tr("Debug"));
    debug->setTitle(tr("Debug"));
    connect(debug->addAction(tr("Log Browser Windows")), &QAction::triggered, this,
            &StatusMenu::logSafariWindows);
    connect(debug->addAction(tr("Save Snapshots to Folder")), &QAction::triggered, this,
            &StatusMenu::saveSnapshots);
    // A Qt submenu's title is the text of its item in the parent menu.
    m_focusSubmenu = new QMenu(tr("Focus Window"), menu);
    debug->addMenu(m_focusSubmenu);
    connect(m_focusSubmenu, &QMenu::aboutToShow, this, &StatusMenu::menuNeedsUpdate);

    menu->addSeparator();
    QAction* quit = menu->addAction(tr("Quit Tessel Nav"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, call(m_commands.quit));

    connect(menu, &QMenu::aboutToShow, this, &StatusMenu::menuWillOpen);
    // The Focus Window submenu lists every window, however many there are.
    m_menuStyle = std::make_unique<ScrollingMenuStyle>();
    for (QMenu* open : {menu, debug, m_focusSubmenu.data()}) {
        open->setStyle(m_menuStyle.get());
        open->installEventFilter(this);
    }
}

bool StatusMenu::eventFilter(QObject* watched, QEvent* event)
{
    // The menu pops up on its own, attached to no window, so Qt matches the
    // shortcuts it shows against nothing; while it or one of its submenus is
    // open and has the keyboard, its key equivalents are matched here.
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    const QList<QAction*> items = m_menu->actions();
    const auto item = std::find_if(items.begin(), items.end(), [&pressed](const QAction* action) {
        return action->isEnabled() && !action->shortcut().isEmpty() &&
               action->shortcut() == pressed;
    });
    if (item == items.end())
        return QObject::eventFilter(watched, event);
    // The command may open a window or end the program: the menus go first.
    m_menu->close();
    (*item)->trigger();
    return true;
}

bool StatusMenu::isRunning(Browser browser) const
{
    return !m_services.workspace.runningApplications(browser.bundleID()).isEmpty();
}

bool StatusMenu::anyEnabledAppRunning() const
{
    const QList<Browser> enabled = m_services.preferences.enabledBrowsersOrdered();
    return std::any_of(enabled.begin(), enabled.end(),
                       [this](Browser browser) { return isRunning(browser); });
}

QList<SafariWindow> StatusMenu::accessibilityWindows(const QList<Browser>& browsers) const
{
    QList<SafariWindow> windows;
    for (Browser browser : browsers)
        windows += m_services.windowService.discoverWindows(browser);
    return windows;
}

QList<std::pair<Browser, QString>> StatusMenu::orderedErrors() const
{
    const QHash<Browser, QString> errors = m_services.metadataService.lastErrors();
    QList<std::pair<Browser, QString>> ordered;
    for (auto it = errors.cbegin(); it != errors.cend(); ++it)
        ordered << std::pair(it.key(), it.value());
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return a.first.rawValue() < b.first.rawValue(); });
    return ordered;
}

void StatusMenu::menuWillOpen()
{
    const QList<Browser> openList = m_services.preferences.enabledBrowsersOrdered();
    m_menuWindows = accessibilityWindows(openList);
    rebuildFocusSubmenu();
    for (Browser browser : openList) {
        if (!browser.isScriptedApp() || !isRunning(browser))
            continue;
        QList<SafariWindow> axWindows;
        for (const SafariWindow& window : std::as_const(m_menuWindows)) {
            if (window.browser == browser)
                axWindows << window;
        }
        m_services.metadataService.mergeAndEnrichAsync(
            axWindows, browser, m_services.windowService, this,
            [this, browser, openList](const QList<SafariWindow>& merged) {
                integrate(browser, openList, merged);
            });
    }
}

void StatusMenu::integrate(Browser browser, const QList<Browser>& openList,
                           const QList<SafariWindow>& merged)
{
    QHash<Browser, QList<SafariWindow>> groups;
    for (const SafariWindow& window : std::as_const(m_menuWindows))
        groups[window.browser] << window;
    groups[browser] = merged;
    QList<SafariWindow> windows;
    for (Browser app : openList)
        windows += groups.value(app);
    m_menuWindows = windows;
    rebuildFocusSubmenu();
}

void StatusMenu::menuNeedsUpdate()
{
    rebuildFocusSubmenu();
}

void StatusMenu::rebuildFocusSubmenu()
{
    if (!m_focusSubmenu)
        return;
    m_focusSubmenu->clear();
    if (m_menuWindows.isEmpty()) {
        QString text;
        if (!anyEnabledAppRunning())
            text = tr("No enabled browser is running");
        else if (m_services.permissions.isAccessibilityTrusted())
            text = tr("No browser windows found");
        else
            text = tr("Accessibility permission needed");
        m_focusSubmenu->addAction(text)->setEnabled(false);
    } else {
        for (int i = 0; i < m_menuWindows.size(); ++i) {
            const SafariWindow& window = m_menuWindows[i];
            const QString title =
                (window.isMinimized ? tr("[%1] %2 (minimized)") : QStringLiteral("[%1] %2"))
                    .arg(window.browser.displayName(), displayName(window));
            QAction* item = m_focusSubmenu->addAction(literalItemText(title));
            item->setData(i);
            connect(item, &QAction::triggered, this, [this, i] { focusWindow(i); });
        }
    }
    const auto errors = orderedErrors();
    if (!errors.isEmpty()) {
        m_focusSubmenu->addSeparator();
        for (const auto& [browser, error] : errors) {
            m_focusSubmenu
                ->addAction(literalItemText(
                    QStringLiteral("%1 %2: %3").arg(warningSign, browser.displayName(), error)))
                ->setEnabled(false);
        }
    }
}

void StatusMenu::focusWindow(int tag)
{
    if (tag < 0 || tag >= m_menuWindows.size())
        return;
    const SafariWindow window = m_menuWindows[tag];
    m_commands.printLine(QStringLiteral("Focusing: ") + displayName(window));
    m_services.focusService.focus(window);
}

QList<SafariWindow> StatusMenu::discoverAllWindows()
{
    QList<SafariWindow> all;
    for (Browser browser : m_services.preferences.enabledBrowsersOrdered()) {
        all += m_services.metadataService.mergeAndEnrich(
            m_services.windowService.discoverWindows(browser), browser, m_services.windowService);
    }
    return all;
}

bool StatusMenu::ensureAccessibility()
{
    if (m_services.permissions.isAccessibilityTrusted())
        return true;
    m_services.permissions.requestAccessibility();
    m_commands.showInfo(accessibilityNeededTitle(), accessibilityNeededText());
    return false;
}

void StatusMenu::logSafariWindows()
{
    if (!ensureAccessibility())
        return;
    const QList<Browser> enabled = m_services.preferences.enabledBrowsersOrdered();
    const qsizetype accessibilityCount = accessibilityWindows(enabled).size();
    const QList<SafariWindow> all = discoverAllWindows();

    QStringList counts;
    for (Browser browser : enabled) {
        const auto count = std::count_if(all.begin(), all.end(), [browser](const SafariWindow& w) {
            return w.browser == browser;
        });
        counts << QStringLiteral("%1: %2").arg(browser.displayName()).arg(count);
    }
    QStringList lines;
    lines << QStringLiteral("Enabled: %1. Accessibility saw %2; total after AppleScript merge: %3.")
                 .arg(counts.join(QStringLiteral(", ")))
                 .arg(accessibilityCount)
                 .arg(all.size());
    for (const auto& [browser, error] : orderedErrors()) {
        // Most error texts are sentences with their own full stop; an app's
        // message ends in its error number instead.
        const QString sentence =
            error.endsWith(QLatin1Char('.')) ? error : error + QLatin1Char('.');
        lines << QStringLiteral("%1 %2 scripting failed: %3 Check System Settings → Privacy & "
                                "Security → Automation → Tessel Nav.")
                     .arg(warningSign, browser.displayName(), sentence);
    }
    if (all.isEmpty()) {
        lines << (anyEnabledAppRunning()
                      ? QStringLiteral("Browsers are running but no standard windows were found.")
                      : QStringLiteral("No enabled browser is running."));
    }
    for (int i = 0; i < all.size(); ++i) {
        const SafariWindow& window = all[i];
        const QString first = QStringLiteral("[%1] [%2] %3")
                                  .arg(i + 1)
                                  .arg(window.browser.displayName(), displayName(window));
        const QString second =
            QStringLiteral("    windowID: %1  minimized: %2  focus via: %3")
                .arg(window.windowID ? QString::number(*window.windowID)
                                     : QStringLiteral("unknown"),
                     window.isMinimized ? QStringLiteral("true") : QStringLiteral("false"),
                     window.axElement ? QStringLiteral("AX") : QStringLiteral("AppleScript"));
        const QString third =
            QStringLiteral("    url: %1  domain: %2  tabs: %3")
                .arg(orMissing(window.tabURL
                                   ? std::optional(window.tabURL->toString(QUrl::FullyEncoded))
                                   : std::nullopt),
                     orMissing(window.domain()),
                     orMissing(window.tabCount ? std::optional(QString::number(*window.tabCount))
                                               : std::nullopt));
        lines << first + QLatin1Char('\n') + second + QLatin1Char('\n') + third;
    }
    const QString text = lines.join(QLatin1Char('\n'));
    m_commands.printLine(QStringLiteral("--- Browser Windows ---\n") + text);
    m_commands.showInfo(tr("Browser Windows (%1)").arg(all.size()), text);
}

void StatusMenu::saveSnapshots()
{
    if (!ensureAccessibility())
        return;
    if (!m_services.permissions.isScreenRecordingAllowed()) {
        m_services.permissions.requestScreenRecording();
        m_commands.showInfo(tr("Screen Recording needed"),
                            tr("Grant Screen Recording to Tessel Nav in System Settings → "
                               "Privacy & Security, then relaunch the app and try again."));
        return;
    }
    const QList<SafariWindow> windows = discoverAllWindows();
    const std::optional<QString> ownFolder = exportFolder();
    if (!ownFolder) {
        const SnapshotService::ExportError error{
            SnapshotService::ExportError::Kind::folderNotCreated, standInTemplate(), {}};
        m_commands.showInfo(tr("Snapshot error"), error.description());
        return;
    }
    const QString& folder = *ownFolder;
    const auto finished = [this, count = windows.size(),
                           folder](const SnapshotService::ExportResult& result) {
        if (const auto* error = std::get_if<SnapshotService::ExportError>(&result)) {
            m_commands.showInfo(tr("Snapshot error"), error->description());
            return;
        }
        const QStringList& files = std::get<QStringList>(result);
        m_commands.printLine(
            QStringLiteral("Wrote %1/%2 snapshots to %3")
                .arg(QString::number(files.size()), QString::number(count), folder));
        if (!files.isEmpty()) {
            m_services.urlOpener.open(QUrl::fromLocalFile(folder));
        } else {
            m_commands.showInfo(
                tr("No snapshots captured"),
                tr("Found %1 browser window(s) but captured none. Check Screen Recording "
                   "permission (a rebuild resets it) or whether all windows are minimized.")
                    .arg(count));
        }
    };
    m_mainThread.postResult(m_services.snapshotService.writeSnapshots(windows, folder), this,
                            finished);
}
