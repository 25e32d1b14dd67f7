// Timing of the layout engine for 1 to 64 windows in every layout, and of the planning step
// for four displays and thirteen workspaces (nine digits, four letters) holding 50, 500 and
// 5,000 windows.
#include "core/core.h"

#include <benchmark/benchmark.h>

namespace morvanta {
namespace {

void framesForLayout(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const auto kind = allLayoutKinds[static_cast<std::size_t>(state.range(1))];
    state.SetLabel(std::string(rawValue(kind)));
    const std::vector<Size> minimums(static_cast<std::size_t>(count), Size{120, 80});
    std::vector<double> weights;
    for (int i = 0; i < count; ++i)
        weights.push_back(0.5 + (i % 4) * 0.25);
    const Rect area{0, 25, 2560, 1415};
    const LayoutOptions options{8, 4, 0.58};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            LayoutPresets::frames(count, kind, minimums, weights, area, options));
}
BENCHMARK(framesForLayout)->ArgsProduct({{1, 2, 4, 8, 16, 32, 64}, {0, 1, 2, 3, 4}});

// Windows spread round-robin over the 13 workspaces; every fifth window floats and the
// workspaces cycle through the layouts, so every branch of the planning step runs.
WorkspaceManager populatedManager(int windowCount) {
    WorkspaceManager manager(LayoutKind::mainStack);
    const std::vector<DisplayID> displays = {DisplayID{"DP-1"}, DisplayID{"DP-2"},
                                             DisplayID{"HDMI-1"}, DisplayID{"eDP-1"}};
    manager.setLetterWorkspaces({101, 102, 103, 104});
    manager.setDisplays(displays);
    const std::vector<int> numbers = manager.allWorkspaceNumbers();
    for (std::size_t i = 0; i < numbers.size(); ++i)
        manager.setLayout(allLayoutKinds[i % allLayoutKinds.size()], numbers[i]);
    // Move letters to the otherwise empty fourth display so all four show something.
    manager.moveWorkspace(103, displays[3]);
    manager.moveWorkspace(104, displays[3]);
    for (int i = 0; i < windowCount; ++i) {
        const WindowID window{1000 + i * 7};
        manager.addWindow(window, displays[0],
                          numbers[static_cast<std::size_t>(i) % numbers.size()]);
        if (i % 5 == 4)
            manager.setFloating(window, true);
    }
    return manager;
}

void planForWindows(benchmark::State& state) {
    const int windowCount = static_cast<int>(state.range(0));
    const WorkspaceManager manager = populatedManager(windowCount);
    std::map<DisplayID, Rect> screens;
    double x = 0;
    for (const DisplayID& display : manager.displays()) {
        screens.emplace(display, Rect{x, 25, 2560, 1415});
        x += 2560;
    }
    std::map<WindowID, Size> minimums;
    for (const auto& [window, number] : manager.locations())
        if (window.raw % 3 == 0)
            minimums.emplace(window, Size{200, 150});
    const LayoutOptions options{8, 4, 0.58};
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.plan(screens, minimums, options));
    state.SetItemsProcessed(state.iterations() * windowCount);
}
BENCHMARK(planForWindows)->Arg(50)->Arg(500)->Arg(5000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace morvanta

BENCHMARK_MAIN();
