// The editor in an X11 window: a full repaint (every control drawn, the whole
// window copied to the server and the server done with it), and a host's idle
// call with nothing to do. Needs an X display: run under xvfb-run.
#include <benchmark/benchmark.h>

#include <string>

#include "gui/ICanvasX11.h"
#include "host/VstHost.h"
#include "host/X11EditorHost.h"
#include "module/StretchAssembly.h"
#include "vst/IEffectVst.h"

namespace {

// The module's instance, made in this process, with its editor open in a
// top-level window on the default display; no canvas when there is none.
struct OpenEditor {
  OpenEditor() {
    std::string error;
    if (!host.Create(NewStretchEffect, "the built-in Dilatorix", &error) ||
        !window.Open("Dilatorix bench", &error))
      return;
    canvas = dynamic_cast<ICanvasX11*>(IEffectVst::FromEffect(host.Effect())->Editor());
    window.Idle(100);
  }
  VstHost host;
  X11EditorHost window{host};
  ICanvasX11* canvas = nullptr;
};

void BM_EditorWindowFullRepaint(benchmark::State& state) {
  OpenEditor editor;
  if (editor.canvas == nullptr) {
    state.SkipWithError("no X display (run under xvfb-run)");
    return;
  }
  for (auto _ : state) {
    editor.canvas->SetAllControlsDirty();
    benchmark::DoNotOptimize(editor.canvas->Tick());
  }
  state.SetLabel(editor.canvas->SharesMemoryWithServer() ? "shared memory" : "plain requests");
}
BENCHMARK(BM_EditorWindowFullRepaint)->Unit(benchmark::kMicrosecond);

// What effEditIdle costs between timer ticks.
void BM_EditorWindowIdlePump(benchmark::State& state) {
  OpenEditor editor;
  if (editor.canvas == nullptr) {
    state.SkipWithError("no X display (run under xvfb-run)");
    return;
  }
  for (auto _ : state) editor.host.Dispatch(effEditIdle);
}
BENCHMARK(BM_EditorWindowIdlePump)->Unit(benchmark::kMicrosecond);

// effEditClose then effEditOpen: what the host's call holds the plug-in lock
// (and so the audio thread) for.
void BM_EditorWindowCloseAndOpen(benchmark::State& state) {
  OpenEditor editor;
  if (editor.canvas == nullptr) {
    state.SkipWithError("no X display (run under xvfb-run)");
    return;
  }
  std::string error;
  for (auto _ : state)
    if (!editor.window.Reopen(&error)) state.SkipWithError(error.c_str());
}
BENCHMARK(BM_EditorWindowCloseAndOpen)->Unit(benchmark::kMillisecond);

}  // namespace
