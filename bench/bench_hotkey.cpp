#include "Platform/KeyCode.h"
#include "Platform/Sim/SimKeyMapping.h"
#include "Platform/Sim/SimPlatform.h"
#include "Services/HotkeyService.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>

// Counts every heap allocation of the process (operator new and Qt's
// containers both end in malloc), so the bench shows that the handler's
// shortcut, cycling and modifier paths allocate nothing. glibc only.
static std::atomic<long> allocations{0};

extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* malloc(std::size_t size) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

// The handler runs inside the session's keyboard: every key the user types
// while the tap exists waits for it.

namespace {

struct OpenSwitcher {
    OpenSwitcher() : service(sim.eventTap, sim.systemLog)
    {
        service.isOverlayVisible = [] { return true; };
        service.onCycle = [this](bool reversed) { steps += reversed ? -1 : 1; };
        service.onModifierRelease = [this] { ++releases; };
        // Opens the session with Option as its modifier.
        service.handle(SimKeyMapping::keyDown(KeyCode::tab, CGEventFlag::option));
    }

    SimPlatform sim;
    HotkeyService service;
    long steps = 0;
    long releases = 0;
};

// Each event leaves the session as it found it, so it can be handled again and
// again: a repeated Tab cycles, Option released ends nothing that the next
// iteration needs, Shift pressed during a switch changes nothing.
void BM_Handle(benchmark::State& state, const KeyEvent& event)
{
    OpenSwitcher open;
    const long before = allocations.load();
    for (auto _ : state)
        benchmark::DoNotOptimize(open.service.handle(event));
    state.counters["allocations"] = double(allocations.load() - before);
    benchmark::DoNotOptimize(open.steps + open.releases);
}

BENCHMARK_CAPTURE(BM_Handle, cycleWithOptionTab,
                  SimKeyMapping::keyDown(KeyCode::tab, CGEventFlag::option, true));
BENCHMARK_CAPTURE(BM_Handle, modifierRelease, SimKeyMapping::flagsChanged(KeyCode::option, 0));
BENCHMARK_CAPTURE(BM_Handle, modifierChangeKeepsSession,
                  SimKeyMapping::flagsChanged(KeyCode::shift,
                                              CGEventFlag::option | CGEventFlag::shift));

} // namespace

BENCHMARK_MAIN();
