// Capture runs over 50 windows of 1440×900 pixels through the simulated host:
// the time per window with the thumbnail writes and without them, and the
// memory the cached images take.
#include "Platform/Sim/SimPlatform.h"
#include "Services/SnapshotService.h"

#include "QtBenchmarkMain.h"
#include "ResidentMemory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>
#include <unistd.h>

namespace {

constexpr int windowCount = 50;

SimModel fiftyWindows()
{
    SimModel model;
    SimInstance instance;
    instance.pid = 501;
    instance.bundleID = QStringLiteral("com.apple.Safari");
    instance.name = QStringLiteral("Safari");
    for (int i = 0; i < windowCount; ++i) {
        SimWindow window;
        window.title = QStringLiteral("Window %1 — a page with a title").arg(i + 1);
        window.frame = QRectF(20 * i, 25, 720, 450); // two pixels per point: 1440×900
        window.windowNumber = quint32(1000 + i);
        instance.windows << window;
    }
    model.instances << instance;
    return model;
}

QList<SafariWindow> records()
{
    QList<SafariWindow> windows;
    for (int i = 0; i < windowCount; ++i) {
        SafariWindow window;
        window.title = QStringLiteral("Window %1 — a page with a title").arg(i + 1);
        window.windowID = quint32(1000 + i);
        windows << window;
    }
    return windows;
}

// A thumbnail folder that works, or one that cannot exist (a regular file
// stands where its parent should be), in which case no PNG is ever encoded.
struct Fixture {
    explicit Fixture(bool writableFolder) : sim(fiftyWindows())
    {
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        blocker.open(QIODevice::WriteOnly);
        blocker.close();
        service.emplace(sim.screenCapture, sim.windowServer, sim.clock,
                        dir.filePath(writableFolder ? QStringLiteral("Thumbnails")
                                                    : QStringLiteral("blocker/Thumbnails")));
    }
    QTemporaryDir dir;
    SimPlatform sim;
    std::optional<SnapshotService> service;
    const QList<SafariWindow> windows = records();
};

void reportPerWindow(benchmark::State& state, qint64 totalNanoseconds)
{
    state.counters["ms_per_window"] =
        double(totalNanoseconds) / 1e6 / (double(state.iterations()) * windowCount);
}

// How a run's thumbnail writes are counted.
enum class Writes {
    none,       // the folder cannot exist: no PNG is ever encoded
    drained,    // drained before the clock stops: off the caller's path in the
                // product, but they cost CPU and disk all the same
    notAwaited, // the caller's wait alone; drained outside the timing
};

void BM_CaptureRun(benchmark::State& state, Writes writes)
{
    Fixture fixture(writes != Writes::none);
    QElapsedTimer timer;
    qint64 total = 0;
    for (auto _ : state) {
        timer.start();
        benchmark::DoNotOptimize(fixture.service->refreshSnapshots(fixture.windows).result());
        if (writes == Writes::drained)
            fixture.service->waitForDiskWrites();
        total += timer.nsecsElapsed();
        if (writes == Writes::notAwaited) {
            state.PauseTiming();
            fixture.service->waitForDiskWrites();
            state.ResumeTiming();
        }
    }
    reportPerWindow(state, total);
}

// What the memory cache holds after one run over the 50 windows: the bytes of
// its images, and how much the resident set grew while it filled.
void BM_MemoryCacheResidentSize(benchmark::State& state)
{
    qint64 grown = 0;
    qint64 imageBytes = 0;
    for (auto _ : state) {
        Fixture fixture(false);
        const qint64 before = residentBytes();
        fixture.service->refreshSnapshots(fixture.windows).waitForFinished();
        grown = residentBytes() - before;
        imageBytes = 0;
        for (const SafariWindow& window : fixture.windows)
            imageBytes += fixture.service->cachedImage(window.windowID)->sizeInBytes();
    }
    state.counters["cached_image_MB"] = double(imageBytes) / 1e6;
    state.counters["rss_growth_MB"] = double(grown) / 1e6;
}

} // namespace

// First, while the heap holds no freed images that could be reused unseen.
BENCHMARK(BM_MemoryCacheResidentSize)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_CaptureRun, WithoutDiskWrites, Writes::none)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CaptureRun, WithDiskWrites, Writes::drained)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CaptureRun, WritesNotAwaited, Writes::notAwaited)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv)
{
    // The window images draw their titles, which needs a GUI application.
    return runBenchmarks<QGuiApplication>(argc, argv);
}
