// What one metadata merge costs the script queue apart from the app's own
// answer time: the guarded round trip through the simulated host, reply
// parsing and title pairing, for an app with many windows.
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "QtBenchmarkMain.h"
#include "Services/SafariMetadataService.h"
#include "Services/SafariWindowService.h"
#include "Services/ScriptGuard.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

SimModel safariWithWindows(int count)
{
    SimScenarioBuilder builder;
    builder.launch(Browser::safari, 400);
    for (int i = 0; i < count; ++i) {
        builder.window(QStringLiteral("Page %1").arg(i), QRectF(i, i, 800, 600))
            .windowNumber(quint32(1000 + i))
            .script(QString::number(i), QStringLiteral("https://example.org/%1").arg(i), 3);
        if (i % 4 == 3)
            builder.onlyScripting(); // a quarter of them on another Space
    }
    return builder.build();
}

void BM_MergeAndEnrich(benchmark::State& state)
{
    SimPlatform sim(safariWithWindows(int(state.range(0))));
    Platform platform = sim.platform();
    ScriptGuard guard(sim.appleScript, sim.systemLog, sim.clock);
    SafariWindowService windows(platform);
    SafariMetadataService service(platform, guard);
    const QList<SafariWindow> ax = windows.discoverWindows(Browser::safari);
    for (auto _ : state) {
        const QList<SafariWindow> merged = service.mergeAndEnrich(ax, Browser::safari, windows);
        benchmark::DoNotOptimize(merged.size());
    }
}
BENCHMARK(BM_MergeAndEnrich)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
