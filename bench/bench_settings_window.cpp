#include "Models/Browser.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenario.h"
#include "QtBenchmarkMain.h"
#include "Services/PreferencesService.h"
#include "Settings/SettingsView.h"
#include "Settings/SettingsWindowController.h"

#include <QApplication>
#include <QSlider>
#include <QWidget>

#include <benchmark/benchmark.h>

// What the user waits for in the settings window: the first "Settings…"
// (building the window and its first tab, showing and painting it), the
// first visit of a tab with the live preview, and one redraw while a slider
// moves.

namespace {

struct Desktop {
    Desktop()
        : sim(std::get<SimModel>(SimScenario::load(SimScenario::defaultPath()))),
          preferences(sim.defaults, sim.workspace, sim.loginItems, sim.systemLog),
          icons(sim.workspace)
    {
    }
    OverlayEnvironment environment() { return {sim.screens, sim.workspace, icons}; }

    SimPlatform sim;
    PreferencesService preferences;
    BrowserIconCache icons;
};

void openFirstTime(benchmark::State& state)
{
    Desktop desktop;
    for (auto _ : state) {
        SettingsWindowController controller(
            desktop.preferences, [] {}, desktop.environment());
        controller.show();
        controller.window()->repaint();
        benchmark::DoNotOptimize(controller.window());
    }
}
BENCHMARK(openFirstTime)->Unit(benchmark::kMillisecond);

void firstVisitOfAPreviewTab(benchmark::State& state)
{
    Desktop desktop;
    for (auto _ : state) {
        state.PauseTiming();
        auto view = std::make_unique<SettingsView>(
            desktop.preferences, [] {}, desktop.environment());
        view->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        view->setTab(SettingsTab::appearance);
        view->repaint();
    }
}
BENCHMARK(firstVisitOfAPreviewTab)->Unit(benchmark::kMillisecond);

void redrawWhileASliderMoves(benchmark::State& state)
{
    Desktop desktop;
    SettingsView view(
        desktop.preferences, [] {}, desktop.environment());
    view.setTab(SettingsTab::appearance);
    view.show();
    QCoreApplication::processEvents();
    double width = 180;
    for (auto _ : state) {
        width = width >= 340 ? 180 : width + 10;
        desktop.preferences.setCardWidth(width);
        view.repaint();
    }
}
BENCHMARK(redrawWhileASliderMoves)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
