// The switcher's drawing over the simulated desktop: a warm showing of 50
// windows to its first paint against a bare window of the same size shown
// the same way (the floor), one repaint after the selection moves at 200
// windows, and what a showing of 200 windows with their snapshots keeps in
// memory.
#include "Overlay/CardCollectionView.h"
#include "Overlay/OverlayView.h"
#include "support/OverlayFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <benchmark/benchmark.h>

#include <memory>
#include <unistd.h>

namespace {

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

SimModel quiet(SimModel model, bool capture)
{
    model.reduceMotion = true;
    model.screenRecordingGranted = capture;
    return model;
}

// Resident memory of a showing of 200 windows once their snapshots are
// cached, and what one cached snapshot takes. First, before anything else
// has grown the heap.
void BM_ShowingResidentMemory(benchmark::State& state)
{
    for (auto _ : state) {
        const qint64 before = residentBytes();
        auto fixture =
            std::make_unique<OverlayFixture>(quiet(OverlayFixture::manyWindows(200), true));
        fixture->showAndSettle();
        QCoreApplication::processEvents(); // painted
        fixture->snapshots.waitForDiskWrites();
        const qint64 grown = residentBytes() - before;
        const auto& snapshots = fixture->controller.snapshots();
        qint64 imageBytes = 0;
        for (const QImage& image : snapshots)
            imageBytes += image.sizeInBytes();
        state.counters["windows"] = double(fixture->controller.windows().size());
        state.counters["snapshots"] = double(snapshots.size());
        state.counters["rss_growth_MB"] = double(grown) / 1e6;
        state.counters["snapshot_images_MB"] = double(imageBytes) / 1e6;
        state.counters["one_snapshot_MB"] =
            snapshots.isEmpty() ? 0 : double(imageBytes) / 1e6 / double(snapshots.size());
    }
}

// One repaint after the selection moves one card on, at 200 windows with
// snapshots: the cards whose look changed, and the strip scrolled when the
// new card was out of view.
void BM_RepaintAfterSelectionChange(benchmark::State& state)
{
    OverlayFixture fixture(quiet(OverlayFixture::manyWindows(200), true));
    fixture.showAndSettle();
    fixture.snapshots.waitForDiskWrites();
    QCoreApplication::processEvents();
    OverlayView* view = fixture.controller.hostingView();
    if (!view) {
        state.SkipWithError("no view");
        return;
    }
    int painted = 0;
    for (auto _ : state) {
        fixture.controller.cycle(1);
        QCoreApplication::processEvents();
        painted += view->cards().paintedCardCount();
    }
    state.counters["cards_painted"] =
        benchmark::Counter(double(painted), benchmark::Counter::kAvgIterations);
}

// A warm showing (windows cached from an earlier one) of 50 windows until
// its first paint, against the floor: a bare window of the panel's size
// shown and painted the same way.
void BM_WarmShowingFirstPaint(benchmark::State& state)
{
    OverlayFixture fixture(quiet(OverlayFixture::manyWindows(50), false));
    fixture.showAndSettle(); // the cold one
    const QSize size = fixture.controller.hostingView()->size();
    fixture.controller.hide();
    fixture.controller.finishBackgroundDiscovery();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        fixture.controller.show(1, std::nullopt);
        QCoreApplication::processEvents();
        state.PauseTiming();
        fixture.controller.hide();
        fixture.controller.finishBackgroundDiscovery();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["panel_width"] = size.width();
}

// The view's share of a showing: building a new view over the published
// state of 50 windows and painting it whole.
void BM_ViewBuildAndPaint(benchmark::State& state)
{
    OverlayFixture fixture(quiet(OverlayFixture::manyWindows(50), false));
    fixture.showAndSettle();
    const QSize size = fixture.controller.hostingView()->size();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        OverlayView view(fixture.controller, fixture.preferences);
        view.resize(size);
        view.render(&image);
    }
}

void BM_BareWindowFloor(benchmark::State& state)
{
    OverlayFixture fixture(quiet(OverlayFixture::manyWindows(50), false));
    fixture.showAndSettle();
    const QSize size = fixture.controller.hostingView()->size();
    fixture.controller.hide();
    QCoreApplication::processEvents();
    QWidget bare(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    bare.setAttribute(Qt::WA_TranslucentBackground);
    bare.resize(size);
    for (auto _ : state) {
        bare.show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        bare.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_ShowingResidentMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_RepaintAfterSelectionChange)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ViewBuildAndPaint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareWindowFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WarmShowingFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
