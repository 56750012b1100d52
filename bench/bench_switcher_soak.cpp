// Sustained use of the switcher: the real controller and services over the
// simulated host, on the default scenario with previews on, through showings
// paced as a person's (hold the modifier, tap, sometimes type or pick an app,
// release or cancel) while the main event loop runs, so that re-listings,
// merges, capture runs and thumbnail writes come back as they would. The heap
// is set up as the program's entry sets it up.
//
// - BM_SwitcherSoak: the resident set at start, after warm-up (50 showings)
//   and at the end; its growth per 1,000 showings after warm-up, as the
//   least-squares slope over checkpoints every 50 showings taken once the
//   background work has settled: in all, beyond the images the snapshot
//   caches hold (one per window each, replaced, never evicted), and beyond
//   those and the simulated host's own records; the largest number of
//   thumbnail writes waiting; and what a trim of the heap would still hand
//   back at the end (memory freed but kept resident).
// - BM_QuitAfterShowings: from the quit request to the end of the services'
//   destructors, after quick showings.
//
// A few windows change their content at every showing (a video, a clock), so
// that their thumbnails really have to be written again; the quit is also
// measured with every window changing, the writer never idle. The writes run
// in real time on their own thread, which is why the pace is real time too: a
// faster pace would queue more captures per second of writing than a person
// can. A soak whose resident set passes 5 GB stops there and reports the
// showings it made.
//
//   bench/bench_switcher_soak --benchmark_filter=Quit
//   bench/bench_switcher_soak --benchmark_filter=Soak
#include "app/HeapPolicy.h"
#include "support/OverlayFixture.h"

#include "QtBenchmarkMain.h"
#include "ResidentMemory.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <memory>
#include <random>

namespace {

constexpr qint64 residentCeiling = qint64(5) << 30;
constexpr int checkpointEvery = 50;

double megabytes(qint64 bytes)
{
    return double(bytes) / 1e6;
}

// The least-squares slope of y over x.
double slope(const QList<double>& x, const QList<double>& y)
{
    const double n = double(x.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (qsizetype i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    const double denominator = n * sxx - sx * sx;
    return denominator == 0 ? 0 : (n * sxy - sx * sy) / denominator;
}

class Soak {
public:
    // `changing` windows get new content at every showing.
    explicit Soak(int changing)
        : m_fixture(std::make_unique<OverlayFixture>(OverlayFixture::defaultScenario())),
          m_changing(changing)
    {
        m_fixture->preferences.setShowWindowPreviews(true);
        m_windowNumbers = m_fixture->sim.host.read([](const SimModel& model) {
            QList<quint32> numbers;
            for (const SimInstance& instance : model.instances)
                for (const SimWindow& window : instance.windows)
                    if (window.windowNumber)
                        numbers << *window.windowNumber;
            return numbers;
        });
    }

    OverlayFixture& fixture() { return *m_fixture; }
    int windowCount() const { return int(m_windowNumbers.size()); }
    int maxPendingWrites() const { return m_maxPending; }
    qint64 showings() const { return m_showings; }

    // One showing taking `paceMs` of real time from the press to the next
    // press, the event loop running throughout.
    void showing(int paceMs)
    {
        OverlayController& controller = m_fixture->controller;
        changeSomeWindows();
        QElapsedTimer clock;
        clock.start();
        const int step = chance(5) ? -1 : 1; // Shift held now and then
        const std::optional<Browser> scope =
            chance(10) ? std::optional<Browser>(Browser::safari) : std::nullopt;
        controller.setActivatedViaHotkey(true);
        controller.show(step, scope);
        runFor(paceMs * 15 / 100);
        for (int taps = pick(4); taps > 0; --taps) {
            controller.cycle(step);
            runFor(paceMs * 5 / 100);
        }
        if (chance(4)) {
            controller.type(QString(QChar(u"aeiost"[pick(6)])));
            runFor(paceMs * 5 / 100);
        }
        if (chance(5) && controller.availableFilters().size() > 1) {
            controller.selectFilter(1 + pick(int(controller.availableFilters().size())));
            runFor(paceMs * 5 / 100);
        }
        if (chance(2))
            controller.handleModifierRelease();
        else
            controller.hide(); // Escape
        runFor(int(paceMs - clock.elapsed()));
        ++m_showings;
    }

    // Runs the event loop for the given time, noting the longest queue of
    // thumbnail writes seen.
    void runFor(int milliseconds)
    {
        QElapsedTimer clock;
        clock.start();
        do {
            QTest::qWait(5);
            m_maxPending = std::max(m_maxPending, m_fixture->snapshots.pendingDiskWrites());
        } while (!clock.hasExpired(milliseconds));
    }

    // The quit: the controller and every service destroyed, as the program's
    // exit destroys the delegate. The thumbnail folder is removed after the
    // clock stops, since the program keeps it.
    double quitSeconds()
    {
        const QString folder = m_fixture->thumbnails.path();
        m_fixture->thumbnails.setAutoRemove(false);
        QElapsedTimer clock;
        clock.start();
        m_fixture.reset();
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        QDir(folder).removeRecursively();
        return seconds;
    }

    // The bytes of the distinct images the snapshot caches hold: the
    // service's memory cache and the switcher's own table, one image per
    // window each, replaced and never evicted.
    qint64 cachedImageBytes()
    {
        QSet<const uchar*> seen;
        qint64 bytes = 0;
        const auto count = [&](const QImage& image) {
            if (!image.isNull() && !seen.contains(image.constBits())) {
                seen.insert(image.constBits());
                bytes += image.sizeInBytes();
            }
        };
        for (const QImage& image : m_fixture->controller.snapshots())
            count(image);
        for (quint32 number : std::as_const(m_windowNumbers))
            if (const std::optional<QImage> image = m_fixture->snapshots.cachedImage(number))
                count(*image);
        return bytes;
    }

    // The heap that the simulated host's records take (the scripts it ran,
    // its log, the menu actions): they grow with use, and a real host would
    // not hold them in this process.
    qint64 simRecordBytes() const
    {
        const SimPlatform& sim = m_fixture->sim;
        QList<QStringList> lists{sim.control.executedScripts(), sim.systemLog.lines()};
        const QList<pid_t> pids = sim.host.read([](const SimModel& model) {
            QList<pid_t> result;
            for (const SimInstance& instance : model.instances)
                result << instance.pid;
            return result;
        });
        for (pid_t pid : pids)
            lists << sim.control.menuActions(pid);
        qint64 bytes = 0;
        for (QStringList& list : lists) {
            bytes += list.capacity() * qint64(sizeof(QString));
            for (QString& record : list)
                if (void* block = record.data_ptr().d_ptr())
                    bytes += qint64(malloc_usable_size(block));
        }
        return bytes;
    }

private:
    bool chance(int oneIn) { return pick(oneIn) == 0; }
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }

    void changeSomeWindows()
    {
        QSet<quint32> changing;
        for (int i = 0; i < m_changing; ++i)
            changing.insert(
                m_windowNumbers[int((m_showings * m_changing + i) % m_windowNumbers.size())]);
        const int hue = int(m_showings * 37 % 360);
        m_fixture->changeModel([&](SimModel& model) {
            for (SimInstance& instance : model.instances)
                for (SimWindow& window : instance.windows)
                    if (window.windowNumber && changing.contains(*window.windowNumber))
                        window.color = QColor::fromHsv(hue, 120, 200);
        });
    }

    std::unique_ptr<OverlayFixture> m_fixture;
    const int m_changing;
    QList<quint32> m_windowNumbers;
    std::mt19937 m_random{19};
    int m_maxPending = 0;
    qint64 m_showings = 0;
};

void BM_SwitcherSoak(benchmark::State& state)
{
    const int showings = int(state.range(0));
    const int paceMs = int(state.range(1));
    for (auto _ : state) {
        const qint64 atStart = residentBytes();
        Soak soak(int(state.range(2)));
        const qint64 built = residentBytes();
        // Every showing's resident set, and every 50th showing's once the
        // background work has settled (captures done, writes drained): the
        // checkpoints see no image in flight.
        QList<double> index, resident;
        QList<double> checkpoint, settled, beyondCaches, beyondSim, simRecords;
        qint64 peak = 0;
        for (int i = 1; i <= showings; ++i) {
            soak.showing(paceMs);
            const qint64 now = residentBytes();
            peak = std::max(peak, now);
            index << double(i);
            resident << megabytes(now);
            if (now > residentCeiling)
                break;
            if (i % checkpointEvery == 0) {
                soak.runFor(2000);
                const qint64 quiet = residentBytes();
                checkpoint << double(i);
                settled << megabytes(quiet);
                const qint64 images = soak.cachedImageBytes();
                const qint64 records = soak.simRecordBytes();
                beyondCaches << megabytes(quiet - images);
                beyondSim << megabytes(quiet - images - records);
                simRecords << megabytes(records);
            }
        }
        const qint64 atEnd = residentBytes();
        soak.fixture().snapshots.waitForDiskWrites();
        const qint64 drained = residentBytes();
        malloc_trim(0);
        const qint64 trimmed = residentBytes();

        state.counters["windows"] = soak.windowCount();
        state.counters["showings"] = double(soak.showings());
        state.counters["fixture_MB"] = megabytes(built - atStart);
        state.counters["rss_start_MB"] = megabytes(built);
        state.counters["rss_warm_MB"] = settled.value(0);
        state.counters["rss_end_MB"] = megabytes(atEnd);
        state.counters["rss_peak_MB"] = megabytes(peak);
        state.counters["max_pending_writes"] = soak.maxPendingWrites();
        state.counters["trim_frees_MB"] = megabytes(drained - trimmed);
        // The first checkpoint ends the warm-up. A soak stopped before two
        // more counts from its first showing, sample by sample.
        if (checkpoint.size() >= 3) {
            const auto perThousand = [&](const QList<double>& y) {
                return slope(checkpoint.mid(1), y.mid(1)) * 1000;
            };
            state.counters["growth_per_1000_MB"] = perThousand(settled);
            state.counters["beyond_caches_per_1000_MB"] = perThousand(beyondCaches);
            state.counters["sim_records_per_1000_MB"] = perThousand(simRecords);
            state.counters["beyond_caches_and_sim_per_1000_MB"] = perThousand(beyondSim);
        } else {
            state.counters["growth_per_1000_MB"] = slope(index, resident) * 1000;
        }
    }
}
BENCHMARK(BM_SwitcherSoak)
    ->ArgNames({"showings", "pace_ms", "changing"})
    ->Args({1000, 500, 4})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

void BM_QuitAfterShowings(benchmark::State& state)
{
    const int showings = int(state.range(0));
    const int paceMs = int(state.range(1));
    double quit = 0;
    int maxPending = 0;
    for (auto _ : state) {
        Soak soak(int(state.range(2)));
        for (int i = 0; i < showings; ++i)
            soak.showing(paceMs);
        maxPending = soak.maxPendingWrites();
        // The pending count right at the quit request is what the quit faces.
        state.counters["pending_at_quit"] = soak.fixture().snapshots.pendingDiskWrites();
        quit = soak.quitSeconds();
    }
    state.counters["quit_s"] = quit;
    state.counters["max_pending_writes"] = maxPending;
}
BENCHMARK(BM_QuitAfterShowings)
    ->ArgNames({"showings", "pace_ms", "changing"})
    ->Args({30, 500, 4})
    ->Args({30, 500, 16})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    HeapPolicy::returnLargeBlocksAtOnce();
    return runBenchmarks<QApplication>(argc, argv);
}
