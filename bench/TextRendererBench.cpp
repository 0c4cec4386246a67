// One 20-character label at 14 pixels, as the editor's value displays draw it:
// centred (the default, which measures the line first) and left aligned.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "gui/TextRenderer.h"

namespace {

void BM_DrawLabel(benchmark::State& state) {
  constexpr int kW = 200, kH = 30;
  std::vector<std::uint32_t> pixels(kW * kH, 0xFF202020u);
  TextRenderer text;
  TextStyle style;
  style.size = 14;
  style.color = colors::kWhite;
  style.align = static_cast<std::int32_t>(state.range(0));
  const char* label = "Blur 123.4 ms  x 8.0";  // 20 characters
  if (!text.Draw(pixels.data(), kW, kH, kW, style, label, PixelRect(0, 4, kW, 24))) {
    state.SkipWithError(text.FontError().c_str());
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        text.Draw(pixels.data(), kW, kH, kW, style, label, PixelRect(0, 4, kW, 24)));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawLabel)
    ->Arg(TextStyle::kCentre)
    ->Arg(TextStyle::kLeft)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
