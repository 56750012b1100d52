// The switcher's own costs on the main thread: a warm showing from the
// shortcut callback to the end of the panel's first paint, against the floor
// of a bare translucent window painting as many snapshots; one keystroke
// (Tab, a typed character) with its repaint; one filter pass.
//
// Run offscreen (QT_QPA_PLATFORM=offscreen) or on a display (xvfb-run).
// Reduce motion is on, so that no fade runs between iterations. Each
// benchmark sets up once (listing, capturing) and runs a fixed number of
// iterations.
#include "Brand/Typography.h"
#include "Overlay/WindowFilter.h"
#include "support/OverlayFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

// Half the windows in Preview, half in TextEdit: apps seen through
// Accessibility alone, so no merge lands while a showing is measured.
SimModel desktopWith(int windows)
{
    SimScenarioBuilder builder = OverlayFixture::desktop();
    for (Browser app : {Browser::preview, Browser::textedit}) {
        builder.launch(app, app == Browser::preview ? 601 : 602);
        for (int i = 0; i < windows / 2; ++i) {
            builder
                .window(QStringLiteral("%1 document %2").arg(app.displayName()).arg(i),
                        QRectF(40 + i, 40 + i, 480, 300))
                .windowNumber(quint32(app == Browser::preview ? 1000 + i : 5000 + i));
        }
    }
    SimModel model = builder.build();
    model.reduceMotion = true;
    return model;
}

// Counts the paints a widget has finished: the event is handled once the
// filter returns, so a count read after the event loop ran is complete.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void runUntilPainted(const PaintCounter& counter, int before)
{
    while (counter.paints <= before)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    // The paint event is followed by the flush of the same update request.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// A showing that opens from the cache and from snapshots already captured.
struct WarmOverlay {
    explicit WarmOverlay(int windows)
        : fixture(desktopWith(windows), {Browser::preview, Browser::textedit})
    {
        OverlayController& c = fixture.controller;
        c.show(1, std::nullopt);
        if (!QTest::qWaitFor([&] { return c.snapshots().size() == windows; }, 60000))
            qFatal("The snapshots of %d windows were not captured", windows);
        c.hide();
    }

    // On a real desktop listing takes far longer than a frame; here it is
    // held back as long so that it lands after the measured paint.
    void holdListing(double seconds)
    {
        fixture.changeModel([seconds](SimModel& model) {
            for (SimInstance& instance : model.instances)
                instance.accessibility.delaySeconds = seconds;
        });
    }

    OverlayFixture fixture;
};

void BM_WarmShowingToFirstPaint(benchmark::State& state)
{
    WarmOverlay warm(int(state.range(0)));
    OverlayController& controller = warm.fixture.controller;
    PaintCounter counter;
    for (auto _ : state) {
        warm.holdListing(0.1);
        QElapsedTimer timer;
        timer.start();
        controller.setActivatedViaHotkey(true);
        controller.show(1, std::nullopt);
        controller.hostingView()->installEventFilter(&counter);
        runUntilPainted(counter, 0);
        state.SetIterationTime(seconds(timer));

        counter.paints = 0;
        controller.hide();
        warm.holdListing(0);
        controller.finishBackgroundDiscovery();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the last view goes
    }
}
BENCHMARK(BM_WarmShowingToFirstPaint)
    ->Arg(50)
    ->Iterations(40)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The floor: what any window needs to show as many scaled snapshots with
// two lines of text each.
class BareCards final : public QWidget {
public:
    BareCards(const QList<QImage>& images, QWidget* parent)
        : QWidget(parent), m_images(images),
          m_title(Typography::font(TextStyle::caption, QFont::DemiBold)),
          m_detail(Typography::font(TextStyle::caption2))
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QSizeF thumbnail(260, 162.5);
        const int perRow = std::max(1, int(width() / 280));
        for (int i = 0; i < m_images.size(); ++i) {
            const QPointF origin(24 + (i % perRow) * 296, 24 + (i / perRow) * 238.5);
            painter.drawImage(QRectF(origin, thumbnail), m_images[i]);
            painter.setFont(m_title);
            painter.drawText(origin + QPointF(0, 182), QStringLiteral("Document %1").arg(i));
            painter.setFont(m_detail);
            painter.drawText(origin + QPointF(0, 198), QStringLiteral("example.org"));
        }
    }

private:
    QList<QImage> m_images;
    QFont m_title;
    QFont m_detail;
};

void BM_BareWindowFloor(benchmark::State& state)
{
    WarmOverlay warm(int(state.range(0)));
    const OverlayController& controller = warm.fixture.controller;
    const QList<QImage> images = controller.snapshots().values();
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                Qt::WindowDoesNotAcceptFocus);
    window.setAttribute(Qt::WA_TranslucentBackground);
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.setGeometry(controller.panel()->geometry());
    PaintCounter counter;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto* cards = new BareCards(images, &window);
        cards->resize(window.size());
        cards->installEventFilter(&counter);
        window.show();
        runUntilPainted(counter, 0);
        state.SetIterationTime(seconds(timer));

        counter.paints = 0;
        window.hide();
        delete cards;
    }
}
BENCHMARK(BM_BareWindowFloor)
    ->Arg(50)
    ->Iterations(40)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One key while the overlay is open: the state change and the repaint.
void BM_Keystroke(benchmark::State& state, bool typed)
{
    WarmOverlay warm(int(state.range(0)));
    OverlayFixture& fixture = warm.fixture;
    OverlayController& controller = fixture.controller;
    controller.show(1, std::nullopt);
    controller.finishBackgroundDiscovery();
    // The capture run that follows the re-listing is over before measuring.
    const int captures = fixture.sim.control.captureCount() + int(state.range(0));
    if (!QTest::qWaitFor([&] { return fixture.sim.control.captureCount() >= captures; }, 60000))
        qFatal("The capture run did not finish");
    QTest::qWait(100);
    PaintCounter counter;
    controller.hostingView()->installEventFilter(&counter);
    for (auto _ : state) {
        const int before = counter.paints;
        QElapsedTimer timer;
        timer.start();
        if (typed)
            fixture.type(QStringLiteral("d"));
        else
            controller.cycle(1);
        runUntilPainted(counter, before);
        state.SetIterationTime(seconds(timer));
        if (typed)
            controller.backspaceSearch();
        QCoreApplication::processEvents();
    }
}
BENCHMARK_CAPTURE(BM_Keystroke, tab, false)
    ->Arg(200)
    ->Iterations(300)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Keystroke, typedCharacter, true)
    ->Arg(200)
    ->Iterations(300)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// A realistic mix: Safari pages with profiles and URLs, folders, terminals.
QList<SafariWindow> manyWindows(int count)
{
    QList<SafariWindow> windows;
    for (int i = 0; i < count; ++i) {
        SafariWindow window;
        window.windowID = quint32(i + 1);
        switch (i % 4) {
        case 0:
            window.browser = Browser::safari;
            window.title = QStringLiteral("Work — Pull request %1 · tessel/nav").arg(i);
            window.tabURL = QUrl(QStringLiteral("https://github.com/tessel/nav/pull/%1").arg(i));
            break;
        case 1:
            window.browser = Browser::chrome;
            window.title = QStringLiteral("Quarterly report draft %1").arg(i);
            window.tabURL = QUrl(QStringLiteral("https://docs.example.com/d/%1/edit").arg(i));
            break;
        case 2:
            window.browser = Browser::finder;
            window.title = QStringLiteral("Projects %1").arg(i);
            window.tabURL = QUrl(QStringLiteral("file:///srv/projects/%1/").arg(i));
            break;
        default:
            window.browser = Browser::terminal;
            window.title = QStringLiteral("zsh — %1×24").arg(80 + i);
        }
        windows << window;
    }
    return windows;
}

void BM_FilterPass(benchmark::State& state, const char* query)
{
    const QList<SafariWindow> all = manyWindows(int(state.range(0)));
    const QString text = QString::fromUtf8(query);
    for (auto _ : state) {
        const WindowFilterResult result = filterWindows(all, std::nullopt, std::nullopt, text);
        benchmark::DoNotOptimize(result.windows.size());
    }
}
BENCHMARK_CAPTURE(BM_FilterPass, noSearch, "")->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterPass, oneLetter, "q")->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterPass, matchingNothing, "zzz")->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
