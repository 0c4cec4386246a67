// The bitmap layer's blits: copy with source alpha and plain copy, reported
// per megapixel, and an editor-sized fill.
#include <benchmark/benchmark.h>

#include "raster/PxBlit.h"
#include "raster/PxMemBitmap.h"

namespace {

void Pattern(PxMemBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      b.Row(y)[x] =
          static_cast<std::uint32_t>((x * 7 + y * 13) & 255) << 24 | 0x00806040u | (x & 63);
}

void BM_BlitMegapixel(benchmark::State& state) {
  const std::uint32_t mode = static_cast<std::uint32_t>(state.range(0));
  PxMemBitmap src(1000, 1000), dst(1000, 1000);
  Pattern(src);
  Pattern(dst);
  for (auto _ : state) {
    PxBlit(dst, src, 0, 0, 0, 0, 1000, 1000, 1.0, mode);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_BlitMegapixel)->Arg(kPxAlpha)->Arg(kPxCopy)->Unit(benchmark::kMillisecond);

void BM_FillEditor(benchmark::State& state) {
  PxMemBitmap dst(720, 650);
  for (auto _ : state) {
    PxFillRect(dst, 0, 0, 720, 650, 0x80FF8040u, 1.0, kPxAlpha);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 720 * 650);
}
BENCHMARK(BM_FillEditor)->Unit(benchmark::kMicrosecond);

}  // namespace
