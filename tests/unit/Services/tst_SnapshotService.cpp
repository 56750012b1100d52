#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/SnapshotService.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>

namespace {

SafariWindow record(const QString& title, std::optional<quint32> windowID, bool minimized = false,
                    const QString& url = {})
{
    SafariWindow window;
    window.title = title;
    window.windowID = windowID;
    window.isMinimized = minimized;
    if (!url.isEmpty())
        window.tabURL = QUrl(url);
    return window;
}

void changeWindow(SimPlatform& sim, quint32 windowNumber, const std::function<void(SimWindow&)>& fn)
{
    sim.host.modify([&](SimModel& model) {
        for (SimInstance& instance : model.instances)
            for (SimWindow& window : instance.windows)
                if (window.windowNumber == windowNumber)
                    fn(window);
    });
}

void setColor(SimPlatform& sim, quint32 windowNumber, const QColor& color)
{
    changeWindow(sim, windowNumber, [&](SimWindow& window) { window.color = color; });
}

void failEveryCapture(SimPlatform& sim, quint32 windowNumber)
{
    changeWindow(sim, windowNumber, [](SimWindow& window) {
        window.captureFails = true;
        window.legacyImageFails = true;
    });
}

bool touch(const QString& path, const QDateTime& modified)
{
    QFile file(path);
    // Flushed first: a write still buffered at close would stamp the file anew.
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1 && file.flush() &&
           file.setFileTime(modified, QFileDevice::FileModificationTime);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestSnapshotService : public QObject {
    Q_OBJECT

    // Three windows of one app, sized so that the capture rule shows.
    static SimModel desktop()
    {
        return SimScenarioBuilder()
            .launch(Browser::safari, 501)
            .window("Inbox", {0, 0, 1000, 625})
            .windowNumber(88)
            .color(Qt::red)
            .window("Docs", {0, 0, 600, 400})
            .windowNumber(89)
            .color(Qt::green)
            .window("Hidden away", {0, 0, 600, 400})
            .windowNumber(91)
            .minimized()
            .color(Qt::blue)
            .build();
    }

    std::unique_ptr<SimPlatform> m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;

    std::unique_ptr<SnapshotService> makeService(const QString& folder = {})
    {
        return std::make_unique<SnapshotService>(m_sim->screenCapture, m_sim->windowServer,
                                                 m_sim->clock,
                                                 folder.isEmpty() ? thumbnails() : folder);
    }
    QString thumbnails() const { return m_dir->filePath(QStringLiteral("Thumbnails")); }

private slots:
    void init()
    {
        m_sim = std::make_unique<SimPlatform>(desktop());
        m_sim->clock.set(QDateTime::currentDateTimeUtc());
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void captureSize_data()
    {
        QTest::addColumn<QSizeF>("frame");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("scaled down to 1440") << QSizeF(1000, 625) << QSize(1440, 900);
        QTest::newRow("two pixels per point") << QSizeF(600, 400) << QSize(1200, 800);
        QTest::newRow("exactly 720 points") << QSizeF(720, 450) << QSize(1440, 900);
        QTest::newRow("zero width") << QSizeF(0, 300) << QSize(1, 600);
        QTest::newRow("negative") << QSizeF(-5, -10) << QSize(1, 1);
        QTest::newRow("tiny") << QSizeF(0.2, 0.2) << QSize(1, 1);
        QTest::newRow("not a number") << QSizeF(std::nan(""), std::nan("")) << QSize(1, 1);
        QTest::newRow("absurdly tall") << QSizeF(100, 1e12) << QSize(200, 2147483647);
    }

    void captureSize()
    {
        QFETCH(QSizeF, frame);
        QFETCH(QSize, pixels);
        QCOMPARE(SnapshotService::captureSize(frame), pixels);
    }

    void captureRunLinesAndImages()
    {
        changeWindow(*m_sim, 89, [](SimWindow& window) { window.captureFails = true; });
        auto service = makeService();
        const QString longTitle =
            QStringLiteral("A title that is certainly longer than thirty-six");
        const QList<SafariWindow> windows{
            record("Inbox", 88),
            record("Notes", std::nullopt, true),
            record(longTitle, 89),
            record("Gone", 90),
            record("", 91, true, "https://www.example.com/page"),
            record("", std::nullopt),
        };
        const QHash<quint32, QImage> images = service->refreshSnapshots(windows).result();

        const QStringList expected{
            "vis \"Inbox\" id=88 scWindow=yes → SCK 1440×900",
            "MIN \"Notes\": no CGWindowID (title match against window list failed) — cannot "
            "capture",
            "vis \"" + longTitle.left(36) + "\" id=89 scWindow=yes → legacy 600×400",
            "vis \"Gone\" id=90 scWindow=no → capture FAILED, no cache",
            "MIN \"example.com\" id=91 scWindow=yes → SCK 1200×800",
            "vis \"Untitled Window\": no CGWindowID (title match against window list failed) — "
            "cannot capture",
        };
        QCOMPARE(service->lastDiagnostics(), expected);

        QCOMPARE(images.size(), 3);
        QCOMPARE(images.value(88).size(), QSize(1440, 900));
        QCOMPARE(images.value(88).pixelColor(3, 3), QColor(Qt::red));
        QCOMPARE(images.value(89).pixelColor(3, 3), QColor(Qt::green));
        QCOMPARE(images.value(91).pixelColor(3, 3), QColor(Qt::blue));
        QVERIFY(!images.contains(90));

        QCOMPARE(service->cachedImage(88)->pixelColor(3, 3), QColor(Qt::red));
        QVERIFY(!service->cachedImage(90));
        QVERIFY(!service->cachedImage(std::nullopt));

        service->waitForDiskWrites();
        QCOMPARE(filesIn(thumbnails()), (QStringList{"88.png", "89.png", "91.png"}));
        QCOMPARE(QImage(thumbnails() + "/88.png").size(), QSize(1440, 900));
    }

    void nothingToCapture_data()
    {
        QTest::addColumn<QList<SafariWindow>>("windows");
        QTest::newRow("empty list") << QList<SafariWindow>{};
        QTest::newRow("no ids") << QList<SafariWindow>{record("A", std::nullopt),
                                                       record("B", std::nullopt, true)};
    }

    void nothingToCapture()
    {
        QFETCH(QList<SafariWindow>, windows);
        auto service = makeService();
        QVERIFY(service->refreshSnapshots(windows).result().isEmpty());
        QCOMPARE(service->lastDiagnostics(),
                 QStringList{"No windows had a CGWindowID — nothing to capture."});
        QCOMPARE(m_sim->control.captureCount(), 0);
    }

    void withoutPermissionTheCachesStillServe()
    {
        auto service = makeService();
        const QList<SafariWindow> windows{record("Inbox", 88)};
        QCOMPARE(service->refreshSnapshots(windows).result().size(), 1);

        m_sim->host.modify([](SimModel& model) { model.screenRecordingGranted = false; });
        QVERIFY(service->refreshSnapshots(windows).result().isEmpty());
        QCOMPARE(service->lastDiagnostics(),
                 QStringList{"SCShareableContent failed — Screen Recording permission?"});
        QVERIFY(service->cachedImage(88));
    }

    void failedCaptureServesTheCache()
    {
        const QList<SafariWindow> windows{record("Inbox", 88)};
        {
            auto service = makeService();
            QCOMPARE(service->refreshSnapshots(windows).result().size(), 1);
            failEveryCapture(*m_sim, 88);
            setColor(*m_sim, 88, Qt::yellow);
            QVERIFY(service->refreshSnapshots(windows).result().isEmpty());
            QCOMPARE(
                service->lastDiagnostics(),
                QStringList{"vis \"Inbox\" id=88 scWindow=yes → capture failed, serving cache"});
            QCOMPARE(service->cachedImage(88)->pixelColor(3, 3), QColor(Qt::red));
        }
        // A later process finds the thumbnail on disk and keeps it in memory.
        auto restarted = makeService();
        QVERIFY(restarted->refreshSnapshots(windows).result().isEmpty());
        QVERIFY(restarted->lastDiagnostics().first().endsWith("→ capture failed, serving cache"));
        QFile::remove(thumbnails() + "/88.png");
        QCOMPARE(restarted->cachedImage(88)->pixelColor(3, 3), QColor(Qt::red));
    }

    void freshCaptureReplacesTheCachedImage()
    {
        auto service = makeService();
        const QList<SafariWindow> windows{record("Inbox", 88)};
        service->refreshSnapshots(windows).waitForFinished();
        service->waitForDiskWrites();
        // Removed while the program runs: the next write makes it again.
        QVERIFY(QDir(thumbnails()).removeRecursively());
        setColor(*m_sim, 88, Qt::yellow);
        service->refreshSnapshots(windows).waitForFinished();
        QCOMPARE(service->cachedImage(88)->pixelColor(3, 3), QColor(Qt::yellow));
        service->waitForDiskWrites();
        QCOMPARE(QImage(thumbnails() + "/88.png").pixelColor(3, 3), QColor(Qt::yellow));
    }

    void pruningByModificationDate()
    {
        QVERIFY(QDir().mkpath(thumbnails()));
        const QDateTime now = m_sim->clock.now();
        const QString dir = thumbnails() + "/";
        QVERIFY(touch(dir + "1.png", now.addDays(-4)));
        QVERIFY(touch(dir + "2.png", now.addDays(-2)));
        QVERIFY(touch(dir + ".hidden", now.addDays(-4)));
        QVERIFY(touch(dir + "3.png", now.addSecs(-259200 + 60)));
        // A link to nothing has no date to read: it counts as the distant past.
        QVERIFY(QFile::link(dir + "missing-target", dir + "4.png"));
        QVERIFY(QDir().mkpath(dir + "folder"));

        auto service = makeService();
        QCOMPARE(
            QDir(thumbnails())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                           QDir::Name),
            (QStringList{"2.png", "3.png", "folder"}));
    }

    void unwritableThumbnailFolderLosesNothing()
    {
        // Running as root ignores permissions; a regular file where a folder
        // should be makes every write fail.
        QVERIFY(touch(m_dir->filePath("blocker"), QDateTime::currentDateTimeUtc()));
        const QString folder = m_dir->filePath("blocker/Thumbnails");
        auto service = makeService(folder);
        const QList<SafariWindow> windows{record("Inbox", 88), record("Docs", 89)};
        // Said once, in the program's words, however many writes fail.
        const QRegularExpression report("^Tessel Nav: could not save the thumbnail .*/blocker/"
                                        "Thumbnails/8[89]\\.png \\(Not a directory\\)");
        QTest::ignoreMessage(QtWarningMsg, report);
        QTest::failOnWarning(report);
        QCOMPARE(service->refreshSnapshots(windows).result().size(), 2);
        service->waitForDiskWrites();
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(service->lastDiagnostics().size(), 2);
        QVERIFY(service->lastDiagnostics().first().endsWith("→ SCK 1440×900"));
        QCOMPARE(service->cachedImage(88)->size(), QSize(1440, 900));
        QCOMPARE(service->cachedImage(89)->pixelColor(3, 3), QColor(Qt::green));
    }

    void exportFileName_data()
    {
        QTest::addColumn<SafariWindow>("window");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << record("Inbox", 1) << 1 << "1 - Inbox.png";
        QTest::newRow("slash and colon") << record("a/b: c://d", 1) << 12 << "12 - a-b- c---d.png";
        QTest::newRow("cut to 60")
            << record(QString(70, 'x'), 1) << 3 << "3 - " + QString(60, 'x') + ".png";
        // 59 letters and then emoji: the 60th character is a whole emoji.
        QTest::newRow("emoji kept whole") << record(QString(59, 'y') + "👍🏽👍🏽", 1) << 2
                                          << "2 - " + QString(59, 'y') + "👍🏽.png";
        QTest::newRow("domain") << record("", 1, false, "https://www.example.com/a") << 4
                                << "4 - example.com.png";
        QTest::newRow("untitled") << record("", 1) << 5 << "5 - Untitled Window.png";
    }

    void exportFileName()
    {
        QFETCH(SafariWindow, window);
        QFETCH(int, position);
        QFETCH(QString, name);
        QCOMPARE(SnapshotService::exportFileName(position, window, 255), name);
    }

    void exportWritesNumberedFilesAndOverwrites()
    {
        failEveryCapture(*m_sim, 91);
        auto service = makeService();
        const QString folder = m_dir->filePath("Export/TesselNav-Snapshots");
        const QList<SafariWindow> windows{
            record("Inbox", 88),
            record("Notes", std::nullopt, true),
            record("Hidden away", 91, true),
            record("Docs: a/b", 89),
        };
        const QStringList expected{folder + "/1 - Inbox.png", folder + "/4 - Docs- a-b.png"};

        const auto first = service->writeSnapshots(windows, folder).result();
        QCOMPARE(std::get<QStringList>(first), expected);
        QCOMPARE(filesIn(folder),
                 (QStringList{"1 - Inbox.png", "4 - Docs- a-b.png", "diagnostics.txt"}));
        QFile diagnostics(folder + "/diagnostics.txt");
        QVERIFY(diagnostics.open(QIODevice::ReadOnly));
        const QByteArray text = diagnostics.readAll();
        QCOMPARE(QString::fromUtf8(text), service->lastDiagnostics().join('\n'));
        QCOMPARE(service->lastDiagnostics().size(), 4);
        QVERIFY(!text.endsWith('\n'));
        QCOMPARE(QImage(expected.first()).size(), QSize(1440, 900));

        setColor(*m_sim, 88, Qt::yellow);
        const auto second = service->writeSnapshots(windows, folder).result();
        QCOMPARE(std::get<QStringList>(second), expected);
        QCOMPARE(filesIn(folder).size(), 3);
        QCOMPARE(QImage(expected.first()).pixelColor(3, 3), QColor(Qt::yellow));
    }

    void exportWithNothingCapturedWritesOnlyDiagnostics()
    {
        m_sim->host.modify([](SimModel& model) { model.screenRecordingGranted = false; });
        auto service = makeService();
        const QString folder = m_dir->filePath("Export");
        const auto result =
            service->writeSnapshots({record("Inbox", 88), record("Docs", 89)}, folder).result();
        QVERIFY(std::get<QStringList>(result).isEmpty());
        QCOMPARE(filesIn(folder), QStringList{"diagnostics.txt"});
        QFile diagnostics(folder + "/diagnostics.txt");
        QVERIFY(diagnostics.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(diagnostics.readAll()),
                 QStringLiteral("SCShareableContent failed — Screen Recording permission?"));
    }

    void exportFolderThatCannotBeUsed_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("a file in the way") << "blocker/Export";
        // Put there by someone else: the pictures would land where it points.
        QTest::newRow("a link in its place") << "Export";
    }

    void exportFolderThatCannotBeUsed()
    {
        QFETCH(QString, folder);
        QVERIFY(touch(m_dir->filePath("blocker"), QDateTime::currentDateTimeUtc()));
        QVERIFY(QDir().mkpath(m_dir->filePath("elsewhere")));
        QVERIFY(QFile::link(m_dir->filePath("elsewhere"), m_dir->filePath("Export")));
        auto service = makeService();
        const QString path = m_dir->filePath(folder);
        const auto result = service->writeSnapshots({record("Inbox", 88)}, path).result();
        const auto* error = std::get_if<SnapshotService::ExportError>(&result);
        QVERIFY(error);
        QVERIFY(error->description().contains(path));
        QCOMPARE(m_sim->control.captureCount(), 0);
        QVERIFY(service->lastDiagnostics().isEmpty());
        QVERIFY(filesIn(m_dir->filePath("elsewhere")).isEmpty());
    }

    // The first file that cannot be written ends the export; the ones before
    // it stay, and the error counts them.
    void exportStoppedByAFileKeepsTheOnesBefore()
    {
        auto service = makeService();
        const QString folder = m_dir->filePath("Export");
        QVERIFY(QDir().mkpath(folder + "/2 - Docs.png"));
        const auto result =
            service
                ->writeSnapshots({record("Inbox", 88), record("Docs", 89), record("Hidden", 91)},
                                 folder)
                .result();
        const auto* error = std::get_if<SnapshotService::ExportError>(&result);
        QVERIFY(error);
        QCOMPARE(error->written, 1);
        QCOMPARE(error->description(),
                 QStringLiteral("Could not write “%1/2 - Docs.png”: Is a directory. Snapshots "
                                "written before it, kept in the folder: 1.")
                     .arg(folder));
        QCOMPARE(filesIn(folder), (QStringList{"1 - Inbox.png", "diagnostics.txt"}));
    }

    // The title is cut, a whole flag at a time, to what a file name in the
    // folder may hold, leaving room for the temporary name through which a
    // second export replaces the file; every window is exported both times.
    void exportNamesFitTheFolder()
    {
        auto service = makeService();
        QString title = QStringLiteral("abcdefg");
        for (int i = 0; i < 40; ++i)
            title += QStringLiteral("🇵🇹");
        QStringList files;
        for (int exported = 0; exported < 2; ++exported) {
            const auto result =
                service
                    ->writeSnapshots({record(title, 88), record("Docs", 89), record(title, 91)},
                                     m_dir->filePath("Export"))
                    .result();
            if (const auto* error = std::get_if<SnapshotService::ExportError>(&result))
                QFAIL(qPrintable(error->description()));
            files = std::get<QStringList>(result);
            QCOMPARE(files.size(), 3);
        }
        // Twenty-nine flags of eight bytes: 247 bytes with the rest, 254 with
        // the temporary name's.
        QCOMPARE(QFileInfo(files.first()).fileName(), "1 - " + title.left(7 + 29 * 4) + ".png");
    }

    void waitingWritesStayOnePerWindow()
    {
        // However far the disk falls behind the captures, a window has one
        // write waiting at most, and its file ends as its last capture.
        auto service = makeService();
        const QList<SafariWindow> windows{record("Inbox", 88), record("Docs", 89),
                                          record("Hidden away", 91, true)};
        service->holdDiskWrites(true);
        QColor last;
        for (int red = 0; red < 200; red += 20) {
            last = QColor(red, 100, 200);
            setColor(*m_sim, 88, last);
            QCOMPARE(service->refreshSnapshots(windows).result().size(), 3);
        }
        QCOMPARE(service->pendingDiskWrites(), 3);
        service->holdDiskWrites(false);
        service->waitForDiskWrites();
        QCOMPARE(service->pendingDiskWrites(), 0);
        QCOMPARE(QImage(thumbnails() + "/88.png").pixelColor(3, 3), last);

        // Once written, a window whose content changed is written again.
        setColor(*m_sim, 88, Qt::yellow);
        service->refreshSnapshots(windows).waitForFinished();
        service->waitForDiskWrites();
        QCOMPARE(QImage(thumbnails() + "/88.png").pixelColor(3, 3), QColor(Qt::yellow));
    }

    void destroyedWhileWorkIsPending()
    {
        QList<SafariWindow> windows;
        m_sim->host.modify([&](SimModel& model) {
            for (quint32 id = 200; id < 210; ++id) {
                SimWindow window;
                window.title = QStringLiteral("W%1").arg(id);
                window.frame = QRectF(0, 0, 400, 300);
                window.windowNumber = id;
                model.instances[0].windows << window;
                windows << record(window.title, id);
            }
        });
        {
            auto service = makeService();
            service->holdDiskWrites(true);
            QCOMPARE(service->refreshSnapshots(windows).result().size(), 10);
            QCOMPARE(service->pendingDiskWrites(), 10);
        }
        // The waiting writes were dropped, leaving no file, whole or partial.
        QCOMPARE(
            QDir(thumbnails()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());

        // A run ends with the capture in hand.
        m_sim->host.modify([](SimModel& model) { model.captureDelaySeconds = 0.2; });
        QFuture<QHash<quint32, QImage>> future;
        {
            auto service = makeService();
            future = service->refreshSnapshots(windows);
        }
        QVERIFY(future.isFinished());
        QVERIFY(future.result().size() < windows.size());
    }
};

QTEST_MAIN(TestSnapshotService)
#include "tst_SnapshotService.moc"
