// What it costs to lay out and render a settings-like window of twelve
// labelled rows, title bar included, at 2× and to encode it as PNG.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "kit/Button.h"
#include "kit/GridView.h"
#include "kit/Label.h"
#include "kit/Window.h"

namespace {

std::unique_ptr<kit::Window> settingsLikeWindow() {
    auto grid = std::make_unique<kit::GridView>();
    grid->setRowSpacing(8);
    grid->setColumnSpacing(10);
    grid->setRowAlignment(kit::GridRowAlignment::firstBaseline);
    for (int row = 0; row < 12; ++row) {
        auto title = std::make_unique<kit::Label>("Setting " + std::to_string(row + 1) + ":");
        std::unique_ptr<kit::View> control;
        if (row % 3 == 0) {
            control = std::make_unique<kit::Button>("Turn this on when it helps", kit::Button::Type::checkbox);
        } else if (row % 3 == 1) {
            control = std::make_unique<kit::Button>("Choose…", kit::Button::Type::push);
        } else {
            auto hint = std::make_unique<kit::Label>(
                "A longer explanation that wraps over more than one line when the column is narrow.");
            hint->setControlSize(kit::ControlSize::small);
            hint->setPreferredMaxLayoutWidth(330);
            control = std::move(hint);
        }
        grid->addRow(std::move(title), std::move(control));
    }
    grid->column(0).setXPlacement(kit::GridXPlacement::trailing);
    auto window = std::make_unique<kit::Window>(kit::Size{0, 0}, kit::WindowStyle::titled | kit::WindowStyle::closable);
    window->setTitle("Tarnwick Settings");
    auto content = std::make_unique<kit::View>();
    auto& placed = content->addSubview(std::move(grid));
    kit::Size size = placed.fittingSize();
    placed.setFrame({20, 20, size.width, size.height});
    window->setContentView(std::move(content));
    window->setContentSize({size.width + 40, size.height + 40});
    return window;
}

void BM_LayOutAndRenderToPNG(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto window = settingsLikeWindow();
        auto png = window->render(2).pngData();
        bytes = png.size();
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_LayOutAndRenderToPNG)->Unit(benchmark::kMillisecond);

void BM_RenderOnly(benchmark::State& state) {
    auto window = settingsLikeWindow();
    window->render(2);
    for (auto _ : state) benchmark::DoNotOptimize(window->render(2).pixel(0, 0));
}
BENCHMARK(BM_RenderOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
