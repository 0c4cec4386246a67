// The bitmap layer's inner loops: blits in each copy mode over a megapixel,
// an editor-sized (720 x 650) full blit and fill, and the scaled and rotated
// blits the canvas uses for resized and turned images. Each reports pixels per
// second as items; for the megapixel blits the time is the time per megapixel.
#include <benchmark/benchmark.h>

#include "raster/PxBlit.h"
#include "raster/PxMemBitmap.h"

namespace {

// Alpha varies across the image, so every blending branch is taken.
void Pattern(PxMemBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      b.Row(y)[x] =
          static_cast<std::uint32_t>((x * 7 + y * 13) & 255) << 24 | 0x00806040u | (x & 63);
}

void Report(benchmark::State& state, long long pixelsPerIteration) {
  state.SetItemsProcessed(state.iterations() * pixelsPerIteration);
}

// Arguments: mode word, weight x 100.
void BM_BlitMegapixel(benchmark::State& state) {
  const std::uint32_t mode = static_cast<std::uint32_t>(state.range(0));
  const double weight = state.range(1) / 100.0;
  PxMemBitmap src(1000, 1000), dst(1000, 1000);
  Pattern(src);
  Pattern(dst);
  for (auto _ : state) {
    PxBlit(dst, src, 0, 0, 0, 0, 1000, 1000, weight, mode);
    benchmark::ClobberMemory();
  }
  Report(state, 1000 * 1000);
}
BENCHMARK(BM_BlitMegapixel)
    ->Args({kPxAlpha, 100})
    ->Args({kPxAlpha, 50})
    ->Args({kPxCopy, 100})
    ->Args({kPxCopy, 50})
    ->Args({kPxCopy, 30})
    ->Unit(benchmark::kMillisecond);

void BM_BlitEditor(benchmark::State& state) {
  PxMemBitmap src(720, 650), dst(720, 650);
  Pattern(src);
  Pattern(dst);
  for (auto _ : state) {
    PxBlit(dst, src, 0, 0, 0, 0, 720, 650, 1.0, kPxAlpha);
    benchmark::ClobberMemory();
  }
  Report(state, 720 * 650);
}
BENCHMARK(BM_BlitEditor)->Unit(benchmark::kMicrosecond);

// Argument: weight x 100 (the exact fractions and a mixed one).
void BM_FillEditor(benchmark::State& state) {
  const double weight = state.range(0) / 100.0;
  PxMemBitmap dst(720, 650);
  Pattern(dst);
  for (auto _ : state) {
    PxFillRect(dst, 0, 0, 720, 650, 0xFF8040C0u, weight, kPxAlpha);
    benchmark::ClobberMemory();
  }
  Report(state, 720 * 650);
}
BENCHMARK(BM_FillEditor)->Arg(100)->Arg(50)->Arg(30)->Unit(benchmark::kMicrosecond);

void BM_ScaledBlitBilinear(benchmark::State& state) {
  PxMemBitmap src(360, 325), dst(720, 650);
  Pattern(src);
  for (auto _ : state) {
    PxScaledBlit(dst, src, 0, 0, 720, 650, 0, 0, 360, 325, 1.0, kPxAlpha | kPxBilinear);
    benchmark::ClobberMemory();
  }
  Report(state, 720 * 650);
}
BENCHMARK(BM_ScaledBlitBilinear)->Unit(benchmark::kMicrosecond);

// A knob-sized image turned by 30 degrees, as a rotated control draws it.
void BM_RotatedBlitKnob(benchmark::State& state) {
  PxMemBitmap src(80, 80), dst(120, 120);
  Pattern(src);
  for (auto _ : state) {
    PxRotatedBlit(dst, src, 20, 20, 80, 80, 0, 0, 80, 80, 0.5236, true, 1.0, kPxAlpha | kPxBilinear,
                  0, 0);
    benchmark::ClobberMemory();
  }
  Report(state, 80 * 80);
}
BENCHMARK(BM_RotatedBlitKnob)->Unit(benchmark::kMicrosecond);

}  // namespace
