// Parameter values the host sets from threads other than the GUI thread (its
// audio thread automating) while an editor window is open: they wait here,
// by parameter index, until the window host's next timer tick moves them to
// the controls, so that only the GUI thread touches controls while it draws
// them. A window host owns one; Start and Stop run on the GUI thread when the
// window opens and closes, under the plug-in lock the host's setters hold
// too; Defer runs on any thread, Apply on the GUI thread.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

class ICanvas;

class PlugValueQueue {
 public:
  // Defers for every parameter a control of the canvas shows. Without room
  // for the values, they keep going straight to the controls.
  void Start(const ICanvas& canvas);
  // Stops deferring and hands what waits to the controls.
  void Stop(ICanvas& canvas);
  // True when the value was kept for the next Apply (set from another thread
  // while deferring, or for a parameter no control shows); false when the
  // caller should set it now.
  bool Defer(ICanvas& canvas, int index, double value, bool normalized);
  // Moves the waiting values to the controls.
  void Apply(ICanvas& canvas);

 private:
  std::thread::id guiThread;
  int count = 0;
  std::unique_ptr<std::atomic<double>[]> values;
  std::unique_ptr<std::atomic<bool>[]> set;
  std::atomic<bool> anySet{false};
  std::atomic<bool> deferring{false};
};
