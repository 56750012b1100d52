// Runs the real program with the render options and checks its one line, its
// exit status, its silence on standard error and the PNG it writes, read by
// an independent decoder (tests/e2e/png_info.py: Python's zlib and struct).
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// none: no display and no platform named, so the program must find its own
// way; offscreen: the platform named, as the normal start needs one.
// unreachable: a display named that no server answers on.
enum class DisplayKind { none, offscreen, xvfb, unreachable };

QProcessEnvironment environmentFor(const QString& configHome, DisplayKind display,
                                   const QString& tab)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    environment.remove(QStringLiteral("TESSEL_SIM_SCENARIO"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (display == DisplayKind::offscreen)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (display == DisplayKind::unreachable)
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
    if (tab.isEmpty())
        environment.remove(QStringLiteral("TESSEL_SETTINGS_TAB"));
    else
        environment.insert(QStringLiteral("TESSEL_SETTINGS_TAB"), tab);
    return environment;
}

// A normal start runs until it is quit: with `untilLaunched` the run ends
// (killed, exit code -1) once the launch lines are out, unless the program
// ended before with a status of its own. A `fileSizeLimit`
// makes every write past it fail, as a full disk does.
Run run(const QStringList& arguments, const QString& configHome,
        DisplayKind display = DisplayKind::none, const QString& tab = {},
        bool untilLaunched = false, rlim_t fileSizeLimit = RLIM_INFINITY)
{
    QString program = QStringLiteral(TESSEL_NAV_BINARY);
    QStringList programArguments = arguments;
    if (display == DisplayKind::xvfb) {
        programArguments.prepend(program);
        programArguments.prepend(QStringLiteral("-a"));
        program = QStringLiteral("xvfb-run");
    }
    QProcess process;
    process.setProcessEnvironment(environmentFor(configHome, display, tab));
    if (fileSizeLimit != RLIM_INFINITY)
        process.setChildProcessModifier([fileSizeLimit] { FileSizeLimit::lower(fileSizeLimit); });
    process.start(program, programArguments);
    if (untilLaunched) {
        QByteArray out;
        while (!out.contains("Screen Recording: ") && process.waitForReadyRead(30000))
            out += process.readAllStandardOutput();
        const bool endedByItself =
            process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit;
        process.kill();
        process.waitForFinished();
        return {endedByItself ? process.exitCode() : -1,
                QString::fromUtf8(out + process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

struct PngInfo {
    int width = 0;
    int height = 0;
    QList<int> firstPixel;
};

// Decoded by Python, not by Qt; none when the decoder rejects the file.
std::optional<PngInfo> decode(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral(PNG_INFO_SCRIPT), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("%s", python.readAllStandardError().constData());
        return std::nullopt;
    }
    const QStringList fields = QString::fromUtf8(python.readAllStandardOutput()).split(' ');
    if (fields.size() != 6)
        return std::nullopt;
    return PngInfo{
        fields[0].toInt(),
        fields[1].toInt(),
        {fields[2].toInt(), fields[3].toInt(), fields[4].toInt(), fields[5].trimmed().toInt()}};
}

const QList<int> cream{245, 244, 234, 255};

} // namespace

Q_DECLARE_METATYPE(DisplayKind)

class TestRenderModes : public QObject {
    Q_OBJECT
private slots:
    void viewRenderWritesTheViewAtScale2_data()
    {
        QTest::addColumn<DisplayKind>("display");
        QTest::newRow("no display") << DisplayKind::none;
        QTest::newRow("unreachable display") << DisplayKind::unreachable;
    }

    void viewRenderWritesTheViewAtScale2()
    {
        QFETCH(DisplayKind, display);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("view.png"));
        const Run result = run({QStringLiteral("--render-settings"), path}, dir.path(), display);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("rendered: ") + path + '\n');
        QCOMPARE(result.err, QString());
        const std::optional<PngInfo> png = decode(path);
        QVERIFY(png);
        // 470 points wide at two pixels per point; the header, tab bar, rule
        // and the 480-point body.
        QCOMPARE(png->width, 940);
        QVERIFY2(png->height % 2 == 0 && png->height > 2 * (480 + 1 + 60),
                 qPrintable(QString::number(png->height)));
        QCOMPARE(png->firstPixel, cream);
    }

    void windowCaptureReportsBothFrames_data()
    {
        QTest::addColumn<DisplayKind>("display");
        QTest::newRow("no display") << DisplayKind::none;
        QTest::newRow("xvfb") << DisplayKind::xvfb;
        QTest::newRow("unreachable display") << DisplayKind::unreachable;
    }

    void windowCaptureReportsBothFrames()
    {
        QFETCH(DisplayKind, display);
        if (display == DisplayKind::xvfb && QStandardPaths::findExecutable("xvfb-run").isEmpty())
            QSKIP("xvfb-run is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("window.png"));
        const Run result =
            run({QStringLiteral("--render-settings-window"), path}, dir.path(), display);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());
        const QString number = QStringLiteral("(-?[0-9]+(?:\\.[0-9]+)?)");
        const QString rect = QStringLiteral("\\{\\{%1, %1\\}, \\{%1, %1\\}\\}").arg(number);
        const QRegularExpression line(QStringLiteral("^rendered: ") +
                                      QRegularExpression::escape(path) +
                                      QStringLiteral(" window=") + rect +
                                      QStringLiteral(" content=") + rect + QStringLiteral("\n$"));
        const QRegularExpressionMatch match = line.match(result.out);
        QVERIFY2(match.hasMatch(), qPrintable(result.out));
        const double contentWidth = match.captured(7).toDouble();
        const double contentHeight = match.captured(8).toDouble();
        QCOMPARE(contentWidth, 470.0);
        QVERIFY(match.captured(3).toDouble() >= contentWidth);

        const std::optional<PngInfo> png = decode(path);
        QVERIFY(png);
        // The whole window as drawn, at this screen's one pixel per point.
        QCOMPARE(png->width, int(contentWidth));
        QCOMPARE(png->height, int(contentHeight));
        QCOMPARE(png->firstPixel, cream);
    }

    void eachTabRendersByTheEnvironmentVariable()
    {
        QTemporaryDir dir;
        QByteArray previous;
        for (const QString& tab : {QStringLiteral("General"), QStringLiteral("Layout")}) {
            const QString path = dir.filePath(tab + QStringLiteral(".png"));
            QCOMPARE(
                run({QStringLiteral("--render-settings"), path}, dir.path(), DisplayKind::none, tab)
                    .exitCode,
                0);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QVERIFY(bytes != previous);
            previous = bytes;
        }
    }

    // The arguments are the program's alone: Qt's own options, such as the
    // right-to-left layout, must not change the drawing.
    void qtOptionsDoNotReachTheRender()
    {
        QTemporaryDir dir;
        const QString plain = dir.filePath(QStringLiteral("plain.png"));
        const QString withOption = dir.filePath(QStringLiteral("reverse.png"));
        QCOMPARE(run({QStringLiteral("--render-settings"), plain}, dir.path()).exitCode, 0);
        const Run result =
            run({QStringLiteral("--render-settings"), withOption, QStringLiteral("-reverse")},
                dir.path());
        QCOMPARE(result.out, QStringLiteral("rendered: ") + withOption + '\n');
        QFile plainFile(plain);
        QFile optionFile(withOption);
        QVERIFY(plainFile.open(QIODevice::ReadOnly) && optionFile.open(QIODevice::ReadOnly));
        QVERIFY(plainFile.readAll() == optionFile.readAll());
    }

    void anOptionWithNoPathIsAUsageError_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("view") << QStringLiteral("--render-settings");
        QTest::newRow("window") << QStringLiteral("--render-settings-window");
    }

    // One line on standard error, and nothing started: no launch line, no
    // settings folder.
    void anOptionWithNoPathIsAUsageError()
    {
        QFETCH(QString, option);
        QTemporaryDir dir;
        const Run result = run({option}, dir.path(), DisplayKind::offscreen, {}, true);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.err, QStringLiteral("tessel-nav: ") + option +
                                 QStringLiteral(" needs a path. Usage: tessel-nav "
                                                "[--render-settings PATH | "
                                                "--render-settings-window PATH]\n"));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("TesselNav"))));
    }

    void bothOptionsRenderOnlyTheView()
    {
        QTemporaryDir dir;
        const QString view = dir.filePath(QStringLiteral("view.png"));
        const QString window = dir.filePath(QStringLiteral("window.png"));
        const Run result = run({QStringLiteral("--render-settings-window"), window,
                                QStringLiteral("--render-settings"), view},
                               dir.path());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("rendered: ") + view + '\n');
        QVERIFY(QFile::exists(view));
        QVERIFY(!QFile::exists(window));
    }

    void aFailedWriteKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("view") << QStringLiteral("--render-settings");
        QTest::newRow("window") << QStringLiteral("--render-settings-window");
    }

    // A disk that takes no file beyond 8 kB: the render says why it failed,
    // exits as always, and the earlier file stays whole.
    void aFailedWriteKeepsTheOldFile()
    {
        QFETCH(QString, option);
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("out"))));
        const QString path = dir.filePath(QStringLiteral("out/render.png"));
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        earlier.close();

        const Run result = run({option, path}, dir.path(), DisplayKind::none, {}, false, 8192);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());
        QCOMPARE(result.out, QStringLiteral("render FAILED — Could not write “") + path +
                                 QStringLiteral("”: File too large.\n"));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier"));
    }

    // A FIFO is written into, not replaced: its reader gets the whole image.
    void aFifoGetsTheWholeImage()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("out.fifo"));
        const QString received = dir.filePath(QStringLiteral("received.png"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QProcess reader;
        reader.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"), QStringLiteral("cat \"$0\" > \"$1\""), fifo, received});
        QVERIFY(reader.waitForStarted());

        const Run result = run({QStringLiteral("--render-settings"), fifo}, dir.path());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("rendered: ") + fifo + '\n');
        QVERIFY(reader.waitForFinished(30000));
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &status), 0);
        QVERIFY(S_ISFIFO(status.st_mode));
        const std::optional<PngInfo> png = decode(received);
        QVERIFY(png);
        QCOMPARE(png->width, 940);
    }

    void standardOutputAsThePathGetsThePngAlone_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("lineStart");
        QTest::newRow("view") << QStringLiteral("--render-settings")
                              << QStringLiteral("/dev/stdout")
                              << QStringLiteral("rendered: /dev/stdout\n");
        QTest::newRow("window") << QStringLiteral("--render-settings-window")
                                << QStringLiteral("/dev/stdout")
                                << QStringLiteral("rendered: /dev/stdout window={{");
        QTest::newRow("view through /proc")
            << QStringLiteral("--render-settings") << QStringLiteral("/proc/self/fd/1")
            << QStringLiteral("rendered: /proc/self/fd/1\n");
    }

    // `--render-settings /dev/stdout | cat > p.png`: the saved file is the
    // PNG with nothing after it, and the one line comes on standard error.
    void standardOutputAsThePathGetsThePngAlone()
    {
        QFETCH(QString, option);
        QFETCH(QString, path);
        QFETCH(QString, lineStart);
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("p.png"));
        QProcess shell;
        shell.setProcessEnvironment(environmentFor(dir.path(), DisplayKind::none, {}));
        shell.start(QStringLiteral("bash"),
                    {QStringLiteral("-c"),
                     QStringLiteral("set -o pipefail; \"$0\" \"$1\" \"$2\" | cat > \"$3\""),
                     QStringLiteral(TESSEL_NAV_BINARY), option, path, saved});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.exitCode(), 0);
        const QString err = QString::fromUtf8(shell.readAllStandardError());
        QVERIFY2(err.startsWith(lineStart) && err.count('\n') == 1 && err.endsWith('\n'),
                 qPrintable(err));
        QVERIFY(decode(saved));
    }

    // Standard output as the path, into a pipe whose reader stops after the
    // signature: the reader gets it, and the mode ends as always, not by
    // SIGPIPE.
    void aPipeThatClosesEarlyGetsTheSignature()
    {
        QTemporaryDir dir;
        QProcess shell;
        shell.setProcessEnvironment(environmentFor(dir.path(), DisplayKind::none, {}));
        shell.start(
            QStringLiteral("bash"),
            {QStringLiteral("-c"),
             QStringLiteral("set -o pipefail; \"$0\" --render-settings /dev/stdout | head -c 8"),
             QStringLiteral(TESSEL_NAV_BINARY)});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.readAllStandardOutput(), QByteArray("\x89PNG\r\n\x1a\n"));
        QCOMPARE(shell.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRenderModes)
#include "tst_RenderModes.moc"
