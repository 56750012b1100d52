// Runs the real program on an X server of its own, types and clicks into the
// simulated desktop with xdotool the way a person would, and reads what the
// program prints. Every process a test starts is ended by the test.
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <signal.h>

namespace {

constexpr int lineTimeout = 15000;

QString scenario(const QString& name)
{
    return QStringLiteral(TESSEL_TEST_DATA "/scenarios/") + name;
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    QPoint center() const { return QPoint(x + width / 2, y + height / 2); }
};

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

    QProcess m_xvfb;
    QString m_display;
    QTemporaryDir m_home;
    QProcess m_program;
    QStringList m_lines;
    QByteArray m_pending;

    // Runs an X client (xdotool, import) on the test's display.
    QString x(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
        }
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    QString xdotool(const QStringList& arguments)
    {
        return x(QStringLiteral("xdotool"), arguments);
    }

    std::optional<QString> visibleWindow(const QString& namePattern)
    {
        const QString found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), namePattern});
        if (found.isEmpty())
            return std::nullopt;
        return found.split('\n').first();
    }

    std::optional<QString> waitForWindow(const QString& namePattern, int timeout = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeout) {
            if (const auto window = visibleWindow(namePattern))
                return window;
            QTest::qWait(25);
        }
        return std::nullopt;
    }

    Geometry geometry(const QString& window)
    {
        Geometry g;
        const QString shell =
            xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
        for (const QString& line : shell.split('\n')) {
            const QString value = line.section('=', 1);
            if (line.startsWith(QLatin1String("X=")))
                g.x = value.toInt();
            else if (line.startsWith(QLatin1String("Y=")))
                g.y = value.toInt();
            else if (line.startsWith(QLatin1String("WIDTH=")))
                g.width = value.toInt();
            else if (line.startsWith(QLatin1String("HEIGHT=")))
                g.height = value.toInt();
        }
        return g;
    }

    QImage screenshot()
    {
        const QString path = m_home.filePath(QStringLiteral("screen.png"));
        QFile::remove(path);
        x(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
        return QImage(path);
    }

    // The middle of a patch of this colour that nothing drawn over it
    // crosses, such as the part of a window that no other window covers.
    static std::optional<QPoint> patchOfColour(const QImage& image, QRgb colour)
    {
        constexpr int half = 3;
        const auto patchAt = [&](int cx, int cy) {
            for (int y = cy - half; y <= cy + half; ++y) {
                for (int x = cx - half; x <= cx + half; ++x) {
                    if (image.pixel(x, y) != colour)
                        return false;
                }
            }
            return true;
        };
        for (int y = half; y < image.height() - half; y += half) {
            for (int x = half; x < image.width() - half; x += half) {
                if (patchAt(x, y))
                    return QPoint(x, y);
            }
        }
        return std::nullopt;
    }

    // The next line that starts with the prefix, waiting for the program.
    std::optional<QString> waitForLine(const QString& prefix, int timeout = lineTimeout)
    {
        QElapsedTimer timer;
        timer.start();
        qsizetype seen = 0;
        while (true) {
            for (; seen < m_lines.size(); ++seen) {
                if (m_lines[seen].startsWith(prefix))
                    return m_lines.takeAt(seen);
            }
            const qint64 left = timeout - timer.elapsed();
            if (left <= 0 || m_program.state() == QProcess::NotRunning)
                return std::nullopt;
            m_program.waitForReadyRead(int(std::min<qint64>(left, 100)));
            readLines();
        }
    }

    void readLines()
    {
        m_pending += m_program.readAllStandardOutput();
        qsizetype end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            m_lines << QString::fromUtf8(m_pending.left(end));
            m_pending.remove(0, end + 1);
        }
    }

    // The last "Frontmost:" line once the awaited one has come and no other
    // has followed for half a second: choosing a document passes its app's
    // main window on the way, and a late line would undo the choice. Empty
    // when none comes. Every such line up to it is taken.
    QString settledFrontmost(const QString& awaited, int timeout = 5000)
    {
        constexpr int quiet = 500;
        QElapsedTimer timer, sinceLast;
        timer.start();
        sinceLast.start();
        QString last;
        bool arrived = false;
        while (timer.elapsed() < timeout && m_program.state() != QProcess::NotRunning) {
            m_program.waitForReadyRead(50);
            readLines();
            for (qsizetype i = 0; i < m_lines.size();) {
                if (m_lines[i].startsWith(QLatin1String("Frontmost:"))) {
                    last = m_lines.takeAt(i);
                    arrived = arrived || last == awaited;
                    sinceLast.restart();
                } else {
                    ++i;
                }
            }
            if (arrived && sinceLast.elapsed() >= quiet)
                break;
        }
        return last;
    }

    // Starts the program on a scenario (none named: the one compiled into
    // the program, as a person starts it) and waits until it has launched and
    // shows its desktop window. No window has the keyboard yet: the X server
    // gives the keys to the window under the pointer.
    QString launch(const QString& scenarioName = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           m_home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"),
                           m_home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("TMPDIR"), m_home.path());
        if (scenarioName.isEmpty())
            environment.remove(QStringLiteral("TESSEL_SIM_SCENARIO"));
        else
            environment.insert(QStringLiteral("TESSEL_SIM_SCENARIO"), scenario(scenarioName));
        m_program.setProcessEnvironment(environment);
        m_program.start(QStringLiteral(TESSEL_NAV_BINARY), {});
        if (!m_program.waitForStarted() || !waitForLine(QStringLiteral("Tessel Nav launched. ")))
            return {};
        return waitForWindow(QStringLiteral("Simulated Desktop")).value_or(QString());
    }

    // Launches the program and gives its desktop window the keyboard.
    QString start(const QString& scenarioName = {})
    {
        const QString desktop = launch(scenarioName);
        if (!desktop.isEmpty())
            xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), desktop});
        return desktop;
    }

    void key(const QStringList& keys)
    {
        xdotool(
            QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("30")} +
            keys);
    }

    // The settings file as the program left it.
    QJsonObject storedDefaults()
    {
        QFile file(m_home.filePath(QStringLiteral("config/TesselNav/defaults.json")));
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                              : QJsonObject();
    }

    // The status item, at the right end of the desktop's menu bar.
    static QStringList moveToStatusItem(const Geometry& screen)
    {
        return {QStringLiteral("mousemove"), QString::number(screen.x + screen.width - 21),
                QString::number(screen.y + 13)};
    }

    // The switcher's panel while it is shown.
    std::optional<QString> switcher(int timeout = 10000)
    {
        return waitForWindow(QStringLiteral("Tessel Nav Switcher"), timeout);
    }

private slots:
    void initTestCase()
    {
        // A display of its own: -displayfd tells the number it picked.
        m_xvfb.start(QStringLiteral("Xvfb"),
                     {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                      QStringLiteral("0"), QStringLiteral("1600x1000x24"),
                      QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QVERIFY2(m_xvfb.waitForStarted(), "Xvfb is not installed (scripts/deps.sh installs it)");
        QVERIFY(m_xvfb.waitForReadyRead(10000));
        m_display =
            QStringLiteral(":") + QString::fromLatin1(m_xvfb.readAllStandardOutput()).trimmed();
    }

    void cleanupTestCase()
    {
        m_xvfb.terminate();
        if (!m_xvfb.waitForFinished(5000)) {
            m_xvfb.kill();
            m_xvfb.waitForFinished();
        }
    }

    void init()
    {
        m_lines.clear();
        m_pending.clear();
        QDir(m_home.path()).removeRecursively();
        QDir().mkpath(m_home.path());
    }

    void cleanup()
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished();
        }
        xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
    }

    void optionTabTwiceFocusesTheThirdWindow()
    {
        const QString desktop = start(QStringLiteral("desktop.json"));
        QVERIFY(!desktop.isEmpty());
        QCOMPARE(m_lines.takeFirst(), QStringLiteral("Frontmost: [Safari] Inbox"));
        // The desktop has drawn once its menu bar is no longer the root's black.
        const Geometry screen = geometry(desktop);
        QImage before;
        QTRY_VERIFY_WITH_TIMEOUT(
            (before = screenshot()).pixel(screen.x + 5, screen.y + 5) != qRgb(0, 0, 0), 10000);

        xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
        key({QStringLiteral("Tab"), QStringLiteral("Tab")});
        const auto panel = switcher();
        QVERIFY(panel);
        QTest::qWait(300); // the fade-in
        const Geometry shown = geometry(*panel);
        const QImage during = screenshot();
        QVERIFY(shown.width > 100 && shown.height > 50);
        // The panel is drawn where it says it is, and nothing beside it changed.
        const QPoint inside = shown.center();
        QVERIFY2(before.pixel(inside) != during.pixel(inside), "the switcher is not on screen");
        const QPoint left(std::max(shown.x - 20, 0), inside.y());
        if (left.x() < shown.x)
            QCOMPARE(during.pixel(left), before.pixel(left));

        xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
        // The list is Safari's windows in order: the shortcut selects the
        // second, Tab the third.
        QCOMPARE(waitForLine(QStringLiteral("Frontmost:")),
                 QStringLiteral("Frontmost: [Safari] Recipes"));
        QTRY_VERIFY(!visibleWindow(QStringLiteral("Tessel Nav Switcher")));
    }

    void searchAndReturn()
    {
        QVERIFY(!start(QStringLiteral("desktop.json")).isEmpty());
        xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
        key({QStringLiteral("Tab")});
        QVERIFY(switcher());
        key({QStringLiteral("b"), QStringLiteral("u"), QStringLiteral("i"), QStringLiteral("l"),
             QStringLiteral("d"), QStringLiteral("Return")});
        QCOMPARE(waitForLine(QStringLiteral("Frontmost: [T")),
                 QStringLiteral("Frontmost: [Terminal] build — make"));
        xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
    }

    void escapeClosesWithoutFocusing()
    {
        QVERIFY(!start(QStringLiteral("desktop.json")).isEmpty());
        QVERIFY(waitForLine(QStringLiteral("Frontmost: [Safari] Inbox")));
        xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
        key({QStringLiteral("Tab"), QStringLiteral("Tab")});
        QVERIFY(switcher());
        key({QStringLiteral("Escape")});
        xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
        QTRY_VERIFY(!visibleWindow(QStringLiteral("Tessel Nav Switcher")));
        QVERIFY(!waitForLine(QStringLiteral("Frontmost:"), 500));
    }

    // With nothing clicked since the start, the keys go to the window under
    // the pointer, and the switcher opens under a pointer resting at the
    // screen's centre: the release and the keys after it still reach the
    // switcher.
    void switcherOpenedUnderThePointerTakesTheRelease()
    {
        const QString desktop = launch();
        QVERIFY(!desktop.isEmpty());
        QCOMPARE(waitForLine(QStringLiteral("Frontmost:")),
                 QStringLiteral("Frontmost: [Safari] Work — Inbox"));
        const QPoint centre = geometry(desktop).center();
        xdotool({QStringLiteral("mousemove"), QString::number(centre.x()),
                 QString::number(centre.y())});
        xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
        key({QStringLiteral("Tab")});
        const auto panel = switcher();
        QVERIFY(panel);
        const Geometry shown = geometry(*panel);
        QVERIFY(QRect(shown.x, shown.y, shown.width, shown.height).contains(centre));
        xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
        QCOMPARE(waitForLine(QStringLiteral("Frontmost:"), 3000),
                 QStringLiteral("Frontmost: [Safari] Work — Quarterly Plan"));
        QTRY_VERIFY(!visibleWindow(QStringLiteral("Tessel Nav Switcher")));
    }

    // A single quick tap always goes back to the window used before the one
    // in front: each showing opens from the cards the last one listed, and
    // the cards stand grouped by app, yet the first step goes to that window
    // wherever its card is. The window in front at the start counts as used.
    // A document counts as used when chosen, though choosing it makes its app
    // report other windows, and though no window of its own may show it; a
    // click on a document's window makes it the app's active document.
    void quickTapsAlternateBetweenTwoWindows_data()
    {
        QTest::addColumn<QString>("move"); // the keys pressed with Alt held, if any
        QTest::addColumn<QRgb>("click");   // then a click on the window of this colour; 0: none
        QTest::addColumn<QString>("moved");
        QTest::addColumn<QString>("before");
        const QString inbox = QStringLiteral("Frontmost: [Safari] Work — Inbox");
        const QString report = QStringLiteral("Frontmost: [Acrobat] Report.pdf");
        const QString invoice = QStringLiteral("Frontmost: [Acrobat] Invoice 2024-113.pdf");
        const QRgb reportColour = qRgb(0xB3, 0x0B, 0x00);
        const QRgb invoiceColour = qRgb(0xD9, 0x30, 0x25);
        QTest::newRow("within one app")
            << "" << QRgb(0) << inbox
            << QStringLiteral("Frontmost: [Safari] Work — Quarterly Plan");
        // Safari's four cards come first, then Chrome's two, Photoshop's
        // documents and Acrobat's.
        QTest::newRow("after moving to another app with the switcher")
            << "Tab Tab Tab Tab" << QRgb(0)
            << QStringLiteral("Frontmost: [Chrome] Pull requests · tessel/nav") << inbox;
        QTest::newRow("after choosing a document that is not in front in its app")
            << "Tab Tab Tab Tab Tab Tab Tab Tab Tab" << QRgb(0) << invoice << inbox;
        QTest::newRow("after choosing a document without a window of its own")
            << "Tab Tab Tab Tab Tab Tab Tab" << QRgb(0)
            << QStringLiteral("Frontmost: [Photoshop] Poster.psd @ 66.7% (RGB/8)") << inbox;
        QTest::newRow("within a document app's chip")
            << "Tab super+5" << QRgb(0) << report << invoice;
        QTest::newRow("after clicking a window of another app")
            << "" << qRgb(0x1F, 0x1F, 0x1F)
            << QStringLiteral("Frontmost: [VS Code] PreferencesService.cpp — tessel-nav") << inbox;
        QTest::newRow("after clicking the document behind the one chosen")
            << "Tab i n v o i c e" << reportColour << report << invoice;
        QTest::newRow("after clicking the document in front of the one chosen")
            << "Tab Tab Tab Tab Tab Tab Tab Tab" << invoiceColour << invoice << report;
    }
    void quickTapsAlternateBetweenTwoWindows()
    {
        QFETCH(QString, move);
        QFETCH(QRgb, click);
        QFETCH(QString, moved);
        QFETCH(QString, before);
        QVERIFY(!start().isEmpty());
        QCOMPARE(waitForLine(QStringLiteral("Frontmost:")),
                 QStringLiteral("Frontmost: [Safari] Work — Inbox"));
        if (!move.isEmpty()) {
            QStringList keys = move.split(' ');
            xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
            key({keys.takeFirst()});
            QVERIFY(switcher());
            QTest::qWait(1000); // the merges bring the documents' cards
            if (!keys.isEmpty())
                key(keys);
            xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
            QTRY_VERIFY(!visibleWindow(QStringLiteral("Tessel Nav Switcher")));
        }
        if (click != 0) {
            // Focus changes count from the launch's warm-up on, which then
            // writes the first thumbnails.
            const QString thumbnails = m_home.filePath(QStringLiteral("data/TesselNav/Thumbnails"));
            QTRY_VERIFY_WITH_TIMEOUT(!QDir(thumbnails).isEmpty(QDir::Files), 10000);
            if (!move.isEmpty())
                settledFrontmost(before); // the choice has landed
            // The part of the window that no other window covers.
            std::optional<QPoint> uncovered;
            QTRY_VERIFY_WITH_TIMEOUT((uncovered = patchOfColour(screenshot(), click)).has_value(),
                                     10000);
            xdotool({QStringLiteral("mousemove"), QString::number(uncovered->x()),
                     QString::number(uncovered->y()), QStringLiteral("click"),
                     QStringLiteral("1")});
        }
        if (!move.isEmpty() || click != 0)
            QCOMPARE(settledFrontmost(moved), moved);

        const QStringList alternate{before, moved};
        for (int tap = 0; tap < 10; ++tap) {
            xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
            key({QStringLiteral("Tab")});
            QTest::qWait(100 + 50 * tap); // released after 0.1 to 0.55 s
            xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
            QTRY_VERIFY(!visibleWindow(QStringLiteral("Tessel Nav Switcher")));
            const QString settled = settledFrontmost(alternate[tap % 2]);
            QVERIFY2(settled == alternate[tap % 2],
                     qPrintable(QStringLiteral("tap %1: %2").arg(tap).arg(settled)));
        }
    }

    // The panel drags by any part of it that is not a card, a chip or the
    // search pill, and stores where it was put.
    // The points follow the default metrics: 24 of padding, cards 280 wide
    // 16 apart, under the 46-point chip row of two apps.
    void dragByTheBackground_data()
    {
        QTest::addColumn<QPointF>("share"); // of the panel's size
        QTest::addColumn<QPoint>("offset"); // added to it
        QTest::newRow("left padding") << QPointF(0, 0.5) << QPoint(10, 20);
        QTest::newRow("right padding") << QPointF(1, 0.5) << QPoint(-10, 20);
        QTest::newRow("bottom padding, under a card") << QPointF(0, 1) << QPoint(150, -10);
        QTest::newRow("between two cards") << QPointF(0, 0.5) << QPoint(24 + 280 + 8, 20);
    }
    void dragByTheBackground()
    {
        QFETCH(QPointF, share);
        QFETCH(QPoint, offset);
        QVERIFY(!start(QStringLiteral("desktop.json")).isEmpty());
        xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
        key({QStringLiteral("Tab")});
        const auto panel = switcher();
        QVERIFY(panel);
        QTest::qWait(300); // the fade-in
        const Geometry shown = geometry(*panel);
        const QPoint from = QPoint(shown.x + int(share.x() * shown.width),
                                   shown.y + int(share.y() * shown.height)) +
                            offset;
        const QPoint by(-90, 70);
        QStringList drag{QStringLiteral("mousemove"), QString::number(from.x()),
                         QString::number(from.y()), QStringLiteral("mousedown"),
                         QStringLiteral("1")};
        for (int step = 1; step <= 3; ++step) {
            const QPoint to = from + by * step / 3;
            drag << QStringLiteral("sleep") << QStringLiteral("0.05") << QStringLiteral("mousemove")
                 << QString::number(to.x()) << QString::number(to.y());
        }
        xdotool(drag << QStringLiteral("mouseup") << QStringLiteral("1"));
        QTRY_COMPARE(geometry(*panel).x, shown.x + by.x());
        QTRY_COMPARE(geometry(*panel).y, shown.y + by.y());

        // The centre, from the bottom of the 1000-pixel screen, once the
        // program has taken in the last move.
        const Geometry dragged = geometry(*panel);
        const QPointF centre(dragged.x + dragged.width / 2.0,
                             1000 - dragged.y - dragged.height / 2.0);
        const auto stored = [this] {
            const QJsonObject values = storedDefaults();
            if (!values.value(QStringLiteral("panelHasCustomCenter")).toBool())
                return QPointF(-1e9, -1e9);
            return QPointF(values.value(QStringLiteral("panelCustomCenterX")).toDouble(),
                           values.value(QStringLiteral("panelCustomCenterY")).toDouble());
        };
        QTRY_VERIFY2((stored() - centre).manhattanLength() <= 2,
                     qPrintable(QStringLiteral("%1,%2").arg(stored().x()).arg(stored().y())));
        key({QStringLiteral("Escape")});
    }

    // Acrobat's documents are known only from its scripting; one that is not
    // its active document comes to the front through Acrobat's Window menu.
    void acrobatDocumentThatIsNotActive()
    {
        QVERIFY(!start().isEmpty());
        xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
        key({QStringLiteral("Tab")});
        QVERIFY(switcher());
        key({QStringLiteral("i"), QStringLiteral("n"), QStringLiteral("v"), QStringLiteral("o"),
             QStringLiteral("i"), QStringLiteral("c"), QStringLiteral("e")});
        xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
        // Acrobat comes to the front at once, the document after the menu walk.
        QVERIFY2(waitForLine(QStringLiteral("Frontmost: [Acrobat] Invoice 2024-113.pdf")),
                 qPrintable(m_lines.join(QStringLiteral(" | "))));
    }

    void hungAppDoesNotHoldUpTheSwitcher()
    {
        QVERIFY(!start(QStringLiteral("hung.json")).isEmpty());
        QElapsedTimer timer;
        timer.start();
        xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
        key({QStringLiteral("Tab")});
        QVERIFY(switcher());
        // Listing the hung app costs one messaging time-out of 0.3 s per
        // request; the panel comes up within a few of them.
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
        QCOMPARE(waitForLine(QStringLiteral("Frontmost: [Safari] P")),
                 QStringLiteral("Frontmost: [Safari] Plan"));
    }

    // Without Accessibility the setup window opens at launch; its System
    // Settings button shows the host's privacy pane as a dialog in the
    // desktop, and turning the switch on there lets the shortcut work.
    void grantedThroughTheHostDialog()
    {
        const QString desktop = start(QStringLiteral("untrusted.json"));
        QVERIFY(!desktop.isEmpty());
        const auto setup = waitForWindow(QStringLiteral("Tessel Nav Setup"));
        QVERIFY(setup);
        // The first row's Request button has the keyboard; System Settings
        // comes next.
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), *setup});
        key({QStringLiteral("Tab"), QStringLiteral("space")});

        // The dialog's default button: the only pixels of its blue, in the
        // desktop's top right corner.
        const Geometry screen = geometry(desktop);
        QRect button;
        QElapsedTimer timer;
        timer.start();
        while (button.isEmpty() && timer.elapsed() < 5000) {
            const QImage shot = screenshot();
            for (int y = screen.y + 26; y < screen.y + 400; ++y) {
                for (int x = screen.x + screen.width - 400; x < screen.x + screen.width; ++x) {
                    if (shot.pixel(x, y) == qRgb(61, 139, 253))
                        button |= QRect(x, y, 1, 1);
                }
            }
        }
        QVERIFY2(!button.isEmpty(), "no host dialog in the desktop");
        xdotool({QStringLiteral("mousemove"), QString::number(button.center().x()),
                 QString::number(button.center().y()), QStringLiteral("click"),
                 QStringLiteral("1")});

        // The shortcut's event tap is retried every 5 seconds until trusted.
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), desktop});
        std::optional<QString> panel;
        timer.restart();
        while (!panel && timer.elapsed() < 8000) {
            xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
            key({QStringLiteral("Tab")});
            panel = switcher(1000);
            if (!panel)
                xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
        }
        QVERIFY(panel);
        xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
        QCOMPARE(waitForLine(QStringLiteral("Frontmost: [Safari] P")),
                 QStringLiteral("Frontmost: [Safari] Plan"));
    }

    // Escape closes the menu panel when the key goes to the program, here
    // its setup window, which a click on the status item leaves with the
    // keyboard; typed into another app (the desktop), it leaves the panel.
    void escapeClosesThePanelOnlyInTheProgram()
    {
        const QString desktop = start(QStringLiteral("untrusted.json"));
        QVERIFY(!desktop.isEmpty());
        const auto setup = waitForWindow(QStringLiteral("Tessel Nav Setup"));
        QVERIFY(setup);
        const QStringList onItem = moveToStatusItem(geometry(desktop))
                                   << QStringLiteral("click") << QStringLiteral("1");
        const auto panelShown = [this] {
            return visibleWindow(QStringLiteral("^Tessel Nav$")).has_value();
        };

        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), *setup});
        xdotool(onItem);
        QVERIFY(waitForWindow(QStringLiteral("^Tessel Nav$")));
        key({QStringLiteral("Escape")});
        QTRY_VERIFY(!panelShown());
        QVERIFY(visibleWindow(QStringLiteral("Tessel Nav Setup")));

        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), desktop});
        QTest::qWait(300); // past the moment that keeps a closing click from reopening
        xdotool(onItem);
        QVERIFY(waitForWindow(QStringLiteral("^Tessel Nav$")));
        key({QStringLiteral("Escape")});
        QTest::qWait(300);
        QVERIFY(panelShown());
    }

    void statusItemPanelQuits()
    {
        const QString desktop = start(QStringLiteral("desktop.json"));
        QVERIFY(!desktop.isEmpty());
        const Geometry screen = geometry(desktop);
        // A storm of clicks on the item first: the program stays well.
        xdotool(moveToStatusItem(screen)
                << QStringLiteral("click") << QStringLiteral("--repeat") << QStringLiteral("100")
                << QStringLiteral("--delay") << QStringLiteral("10") << QStringLiteral("1"));
        QTest::qWait(400);
        QCOMPARE(m_program.state(), QProcess::Running);
        if (!visibleWindow(QStringLiteral("^Tessel Nav$")))
            xdotool({QStringLiteral("click"), QStringLiteral("1")});
        const auto panel = waitForWindow(QStringLiteral("^Tessel Nav$"));
        QVERIFY(panel);
        const Geometry shown = geometry(*panel);
        // Hanging 6 points under the item, which is as tall as the desktop's
        // menu bar of 26, and inside the screen.
        QCOMPARE(shown.y, screen.y + 26 + 6);
        QVERIFY(shown.x + shown.width <= 1600 - 8);
        // No compositing manager runs here: the rounded corners show the
        // desktop behind them, not black, while the panel's middle is cream.
        QTest::qWait(200);
        const QImage drawn = screenshot();
        QVERIFY(drawn.pixel(shown.x + 1, shown.y + 1) != qRgb(0, 0, 0));
        QVERIFY(drawn.pixel(shown.x + shown.width - 2, shown.y + shown.height - 2) !=
                qRgb(0, 0, 0));
        const QColor middle = drawn.pixelColor(shown.x + 20, shown.y + shown.height / 2);
        QVERIFY2(middle.red() > 230 && middle.green() > 230 && middle.blue() > 215,
                 qPrintable(middle.name()));

        // The last row is Quit.
        xdotool({QStringLiteral("mousemove"), QString::number(shown.center().x()),
                 QString::number(shown.y + shown.height - 49), QStringLiteral("click"),
                 QStringLiteral("1")});
        QVERIFY(m_program.waitForFinished(5000));
        QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program.exitCode(), 0);
        // A quit is no failed launch: the next start does not count it.
        QCOMPARE(storedDefaults().value(QStringLiteral("launchAttempts")), QJsonValue(0));
    }

    void terminationSignalsKeepTheLastChange_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::newRow("logout: TERM, HUP") << int(SIGTERM) << int(SIGHUP);
        QTest::newRow("terminal closed at Ctrl+C: INT, HUP") << int(SIGINT) << int(SIGHUP);
        QTest::newRow("terminal closed at Ctrl+C: HUP, INT") << int(SIGHUP) << int(SIGINT);
    }

    // A logout sends SIGTERM and SIGHUP back to back; a terminal closed as
    // Ctrl+C is pressed sends SIGINT and SIGHUP, both pending at once. Each
    // time, the program ends as Quit does: a setting changed twice in quick
    // succession reaches the file, and the launch count is cleared, so that
    // ends like these never add up to safe mode.
    void terminationSignalsKeepTheLastChange()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        const QString autostart =
            m_home.filePath(QStringLiteral("config/autostart/tessel-nav.desktop"));
        for (int run = 1; run <= 5; ++run) {
            const QString desktop = start(QStringLiteral("desktop.json"));
            QVERIFY(!desktop.isEmpty());
            xdotool(moveToStatusItem(geometry(desktop))
                    << QStringLiteral("click") << QStringLiteral("1"));
            const auto panel = waitForWindow(QStringLiteral("^Tessel Nav$"));
            QVERIFY(panel);
            const Geometry shown = geometry(*panel);
            // Settings… is the third row from the bottom.
            xdotool({QStringLiteral("mousemove"), QString::number(shown.center().x()),
                     QString::number(shown.y + shown.height - 131), QStringLiteral("click"),
                     QStringLiteral("1")});
            const auto settings = waitForWindow(QStringLiteral("Tessel Nav Settings"));
            QVERIFY(settings);
            // The General tab's first shortcut preset takes the keyboard; the
            // arrow keys then step to the next two.
            xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), *settings,
                     QStringLiteral("40"), QStringLiteral("326"), QStringLiteral("click"),
                     QStringLiteral("1")});
            QTRY_COMPARE(storedDefaults().value(QStringLiteral("shortcutPreset")),
                         QJsonValue(QStringLiteral("optionTab")));
            QTest::qWait(300); // past the interval that this write started
            // The first step is written at once, the second waits for the end
            // of the interval. A click on Launch at login behind them adds or
            // removes the autostart entry at once: when it has, the program
            // has taken in both steps.
            key({QStringLiteral("Down"), QStringLiteral("Down")});
            xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), *settings,
                     QStringLiteral("30"), QStringLiteral("486"), QStringLiteral("click"),
                     QStringLiteral("1")});
            QTRY_COMPARE(QFile::exists(autostart), run % 2 == 1);
            const pid_t pid = pid_t(m_program.processId());
            QVERIFY(::kill(pid, first) == 0 && ::kill(pid, second) == 0);
            QVERIFY(m_program.waitForFinished(5000));
            QVERIFY2(m_program.exitStatus() == QProcess::NormalExit && m_program.exitCode() == 0,
                     qPrintable(QStringLiteral("run %1: %2 with %3")
                                    .arg(run)
                                    .arg(m_program.exitStatus() == QProcess::NormalExit
                                             ? QStringLiteral("exit status")
                                             : QStringLiteral("signal"))
                                    .arg(m_program.exitCode())));
            const QJsonObject stored = storedDefaults();
            QCOMPARE(stored.value(QStringLiteral("shortcutPreset")),
                     QJsonValue(QStringLiteral("optionGrave")));
            QCOMPARE(stored.value(QStringLiteral("launchAttempts")), QJsonValue(0));
            m_lines.clear();
        }
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_Desktop.moc"
