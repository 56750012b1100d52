// The switcher's own costs on the main thread, with the real view:
// - a warm showing of 50 windows with cached snapshots, from the shortcut
//   callback to the end of the panel's first paint, against the floor: a bare
//   frameless translucent window of the same size that paints as many scaled
//   snapshots with two text lines each, measured in the same run;
// - one key while the overlay is open at 200 windows (Tab, Down in a grid, a
//   typed character): the state change and the repaint that follows;
// - one filter pass at 1,000 windows;
// - the tint colour of one 1440 × 900 capture;
// - the resident memory of a showing of 200 windows with cached snapshots,
//   and what one cached snapshot costs.
//
// Run offscreen (the default) or on a display:
//   xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb bench/bench_overlay
// Reduce motion is on, so that no fade or scroll animation runs between
// iterations.
#include "Brand/Typography.h"
#include "Overlay/Cards/CardCollectionView.h"
#include "Overlay/OverlayController.h"
#include "Overlay/OverlayMetrics.h"
#include "Overlay/Panel/OverlayView.h"
#include "Overlay/WindowFilter.h"
#include "support/OverlayFixture.h"

#include "QtBenchmarkMain.h"
#include "ResidentMemory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTest>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

// Windows of Preview and TextEdit, apps seen through Accessibility alone, so
// that no merge lands while a showing is measured. Their sizes vary as on a
// desktop; most are captured 1440 pixels wide.
const QList<Browser> twoApps{Browser::preview, Browser::textedit};

SimModel desktopWith(int windows, const QList<Browser>& apps)
{
    SimScenarioBuilder builder = OverlayFixture::desktop();
    const QList<QSizeF> sizes{{1280, 800}, {900, 700}, {720, 450}, {1100, 760}, {600, 480}};
    for (Browser app : apps) {
        const bool preview = app == Browser::preview;
        builder.install(app).launch(app, preview ? 601 : 602);
        for (int i = 0; i < windows / int(apps.size()); ++i) {
            builder
                .window(QStringLiteral("%1 document %2").arg(app.displayName()).arg(i),
                        QRectF(QPointF(40 + i, 40 + i), sizes[i % sizes.size()]))
                .windowNumber(quint32(preview ? 1000 + i : 5000 + i));
        }
    }
    SimModel model = builder.build();
    model.reduceMotion = true;
    return model;
}

// Counts the paint events a widget has had.
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

// A paint event is sent inside the handling of the window's update request,
// which also paints every child and flushes the window: once the event loop
// returns after the widget's paint, the whole window is on screen.
void runUntilPainted(const PaintCounter& counter, int before)
{
    QElapsedTimer waited;
    waited.start();
    while (counter.paints <= before) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (waited.hasExpired(10000))
            qFatal("Nothing was painted");
    }
}

double seconds(qint64 nanoseconds)
{
    return double(nanoseconds) / 1e9;
}

// A switcher whose windows are cached and whose snapshots were captured by
// an earlier showing.
struct WarmOverlay {
    explicit WarmOverlay(int windows, LayoutMode layout = LayoutMode::strip,
                         const QList<Browser>& apps = twoApps)
        : fixture(desktopWith(windows, apps), apps)
    {
        fixture.preferences.setLayoutMode(layout);
        OverlayController& c = fixture.controller;
        c.show(1, std::nullopt);
        if (!QTest::qWaitFor([&] { return c.snapshots().size() == windows; }, 120000))
            qFatal("The snapshots of %d windows were not captured", windows);
        c.hide();
        fixture.snapshots.waitForDiskWrites();
    }

    // Listing takes far longer than a frame on a real desktop; here it is
    // held back as long so that the re-listing lands after the measured
    // paint, as it would there.
    void holdListing(double seconds)
    {
        fixture.changeModel([seconds](SimModel& model) {
            for (SimInstance& instance : model.instances)
                instance.accessibility.delaySeconds = seconds;
        });
    }

    // Shown and settled: the re-listing and the capture runs it starts are
    // over, and every card has been drawn once, so that its thumbnail is made.
    void showSettled()
    {
        OverlayController& c = fixture.controller;
        c.show(1, std::nullopt);
        c.finishBackgroundDiscovery();
        int captures = -1;
        while (captures != fixture.sim.control.captureCount()) {
            captures = fixture.sim.control.captureCount();
            QTest::qWait(300);
        }
        fixture.snapshots.waitForDiskWrites();
        for (int i = 0; i < c.windows().size(); ++i) {
            c.cycle(1);
            QCoreApplication::processEvents();
        }
    }

    OverlayFixture fixture;
};

void BM_WarmShowingToFirstPaint(benchmark::State& state)
{
    WarmOverlay warm(int(state.range(0)));
    OverlayController& controller = warm.fixture.controller;
    PaintCounter counter;
    qint64 inShow = 0;
    for (auto _ : state) {
        warm.holdListing(0.2);
        QElapsedTimer timer;
        timer.start();
        controller.setActivatedViaHotkey(true);
        controller.show(1, std::nullopt);
        inShow += timer.nsecsElapsed();
        controller.hostingView()->installEventFilter(&counter);
        runUntilPainted(counter, 0);
        state.SetIterationTime(seconds(timer.nsecsElapsed()));

        counter.paints = 0;
        controller.hide();
        warm.holdListing(0);
        controller.finishBackgroundDiscovery();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the last view goes
        QCoreApplication::processEvents();
    }
    state.counters["show_call_ms"] =
        benchmark::Counter(double(inShow) / 1e6, benchmark::Counter::kAvgIterations);
    state.counters["panel_width"] = controller.panel()->width();
}
BENCHMARK(BM_WarmShowingToFirstPaint)
    ->Arg(50)
    ->Iterations(60)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The floor: what any window of the panel's size needs to show as many
// snapshots, each scaled into its card, with two lines of text each.
class BareCards final : public QWidget {
public:
    BareCards(const QList<QImage>& images, QWidget* parent)
        : QWidget(parent), m_images(images),
          m_title(Typography::font(TextStyle::callout, QFont::Medium)),
          m_detail(Typography::font(TextStyle::caption))
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        // The default cards' thumbnails, where the panel's strip puts them.
        const double W = Setting::cardWidth.defaultValue;
        const QSizeF thumbnail(W, OverlayMetrics::thumbnailHeight(W));
        const double inset = Setting::containerPadding.defaultValue + OverlayMetrics::cardPadding;
        const double pitch = OverlayMetrics::cellWidth(W) + Setting::windowSpacing.defaultValue;
        for (int i = 0; i < m_images.size(); ++i) {
            const QPointF origin(inset + i * pitch, inset);
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
        state.SetIterationTime(seconds(timer.nsecsElapsed()));

        counter.paints = 0;
        window.hide();
        delete cards;
        QCoreApplication::processEvents();
    }
    state.counters["panel_width"] = window.width();
}
BENCHMARK(BM_BareWindowFloor)
    ->Arg(50)
    ->Iterations(60)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

enum class Key { tab, down, typed };

// One key while the overlay is open: the state change and the repaint. Tab
// moves the selection along the strip (scrolling it when the card is out of
// view); Down moves it a row in a grid of one app's windows; a typed
// character re-filters and re-lays the panel out.
void BM_Keystroke(benchmark::State& state, Key key)
{
    const bool grid = key == Key::down;
    WarmOverlay warm(int(state.range(0)), grid ? LayoutMode::grid : LayoutMode::strip,
                     grid ? QList<Browser>{Browser::preview} : twoApps);
    OverlayController& controller = warm.fixture.controller;
    warm.showSettled();
    PaintCounter counter;
    CardCollectionView& cards = controller.hostingView()->cards();
    cards.installEventFilter(&counter);
    qint64 painted = 0;
    for (auto _ : state) {
        const int before = counter.paints;
        QElapsedTimer timer;
        timer.start();
        switch (key) {
        case Key::tab:
            controller.cycle(1);
            break;
        case Key::down:
            controller.cycleRow(1);
            break;
        case Key::typed:
            controller.type(QStringLiteral("d"));
            break;
        }
        runUntilPainted(counter, before);
        state.SetIterationTime(seconds(timer.nsecsElapsed()));
        painted += cards.paintedCardCount();

        state.PauseTiming();
        if (key == Key::typed)
            controller.backspaceSearch();
        else if (key == Key::down &&
                 controller.selectedIndex() + controller.columns() >= controller.windows().size())
            controller.cycle(-controller.selectedIndex()); // back to the top row
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["cards_painted"] =
        benchmark::Counter(double(painted), benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(BM_Keystroke, tab, Key::tab)
    ->Arg(200)
    ->Iterations(300)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Keystroke, downInGrid, Key::down)
    ->Arg(200)
    ->Iterations(300)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Keystroke, typedCharacter, Key::typed)
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
BENCHMARK_CAPTURE(BM_FilterPass, accented, "é")->Arg(1000)->Unit(benchmark::kMicrosecond);

// The tint of one capture of a 1440 × 900 window: as the capture comes from
// the screen (premultiplied) and as it comes back from the disk cache (a PNG
// decodes unpremultiplied).
void BM_TintOfOneCapture(benchmark::State& state, QImage::Format format)
{
    QImage capture(1440, 900, QImage::Format_ARGB32_Premultiplied);
    capture.fill(Qt::transparent);
    {
        QPainter painter(&capture);
        QLinearGradient gradient(0, 0, 1440, 900);
        gradient.setColorAt(0, QColor(30, 90, 200));
        gradient.setColorAt(1, QColor(240, 200, 60));
        painter.setBrush(gradient);
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(0, 0, 1440, 900), 20, 20);
        painter.setPen(Qt::black);
        for (int line = 0; line < 40; ++line)
            painter.drawText(40, 60 + line * 20, QStringLiteral("A line of text %1").arg(line));
    }
    capture = capture.convertToFormat(format);
    for (auto _ : state)
        benchmark::DoNotOptimize(dominantTintColor(capture));
}
BENCHMARK_CAPTURE(BM_TintOfOneCapture, captured, QImage::Format_ARGB32_Premultiplied)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_TintOfOneCapture, readFromDisk, QImage::Format_ARGB32)
    ->Unit(benchmark::kMicrosecond);

// The resident set of a showing of 200 windows once their snapshots are
// cached, measured after handing freed memory back to the system so that the
// figure counts what is held, and what one cached snapshot takes: its full
// capture (held by the snapshot cache) and the copy scaled for its card.
void BM_ShowingResidentMemory(benchmark::State& state)
{
    for (auto _ : state) {
        malloc_trim(0);
        const qint64 before = residentBytes();
        qint64 grown = 0;
        {
            WarmOverlay warm(int(state.range(0)));
            warm.showSettled();
            OverlayController& controller = warm.fixture.controller;
            QCoreApplication::processEvents();
            malloc_trim(0);
            grown = residentBytes() - before;
            qint64 captureBytes = 0;
            for (const QImage& image : controller.snapshots())
                captureBytes += image.sizeInBytes();
            const qint64 thumbnailBytes = controller.cardDrawingCache().thumbnailBytes();
            const double thumbnails = double(controller.cardDrawingCache().thumbnailCount());
            const double count = double(controller.snapshots().size());
            state.counters["snapshots"] = count;
            state.counters["thumbnails"] = thumbnails;
            state.counters["rss_growth_MB"] = double(grown) / 1e6;
            state.counters["captures_MB"] = double(captureBytes) / 1e6;
            state.counters["one_capture_MB"] = double(captureBytes) / 1e6 / std::max(count, 1.0);
            state.counters["one_thumbnail_MB"] =
                double(thumbnailBytes) / 1e6 / std::max(thumbnails, 1.0);
        }
    }
}
BENCHMARK(BM_ShowingResidentMemory)
    ->Arg(200)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
