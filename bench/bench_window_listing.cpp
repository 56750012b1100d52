#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/SafariWindowService.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int appCount = 10;
constexpr int windowsPerApp = 50;

// Ten instances of one app with fifty windows each. Every third window has no
// direct number, so the listing falls back to the bounds match for it.
SimModel desktop()
{
    SimScenarioBuilder builder;
    quint32 number = 1000;
    for (int app = 0; app < appCount; ++app) {
        builder.launch(Browser::safari, 500 + app);
        for (int index = 0; index < windowsPerApp; ++index) {
            builder
                .window(QStringLiteral("Window %1.%2").arg(app).arg(index),
                        QRectF(20 * index, 10 * app, 800 + index, 600))
                .windowNumber(number++)
                .windowNumberCallFails(index % 3 == 0);
        }
    }
    return builder.build();
}

void BM_DiscoverWindows(benchmark::State& state)
{
    SimPlatform sim(desktop());
    SafariWindowService service(sim.platform());
    for (auto _ : state) {
        const QList<SafariWindow> windows = service.discoverWindows(Browser::safari);
        if (windows.size() != appCount * windowsPerApp)
            state.SkipWithError("wrong window count");
        benchmark::DoNotOptimize(windows);
    }
    state.SetItemsProcessed(state.iterations() * appCount * windowsPerApp);
}
BENCHMARK(BM_DiscoverWindows)->Unit(benchmark::kMillisecond);

void BM_CgWindowInfo(benchmark::State& state)
{
    SimPlatform sim(desktop());
    SafariWindowService service(sim.platform());
    for (auto _ : state)
        benchmark::DoNotOptimize(service.cgWindowInfo(505));
}
BENCHMARK(BM_CgWindowInfo)->Unit(benchmark::kMicrosecond);

// The simulated window server's own share of the figures above.
void BM_SimCopyWindowInfo(benchmark::State& state)
{
    SimPlatform sim(desktop());
    for (auto _ : state) {
        benchmark::DoNotOptimize(sim.windowServer.copyWindowInfo(WindowServer::ListOption::All, 0));
    }
}
BENCHMARK(BM_SimCopyWindowInfo)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
