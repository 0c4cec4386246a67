#include "gui/PlugValueQueue.h"

#include <algorithm>
#include <new>

#include "core/IEffectForEditor.h"
#include "core/IEffectParam.h"
#include "gui/ICanvas.h"
#include "gui/IWidget.h"

void PlugValueQueue::Start(const ICanvas& canvas) {
  guiThread = std::this_thread::get_id();
  count = 0;
  for (int i = 0; i < canvas.ControlCount(); ++i)
    count = std::max(count, canvas.Control(i)->ParamIndex() + 1);
  values.reset(new (std::nothrow) std::atomic<double>[count]);
  set.reset(new (std::nothrow) std::atomic<bool>[count]);
  for (int i = 0; set != nullptr && i < count; ++i) set[i] = false;
  anySet = false;
  deferring = values != nullptr && set != nullptr;
}

void PlugValueQueue::Stop(ICanvas& canvas) {
  deferring = false;
  Apply(canvas);
}

bool PlugValueQueue::Defer(ICanvas& canvas, int index, double value, bool normalized) {
  if (!deferring || std::this_thread::get_id() == guiThread) return false;
  if (index < 0 || index >= count) return true;  // no control shows it
  if (!normalized) {
    IEffectParam* param = canvas.Plug() != nullptr ? canvas.Plug()->Param(index) : nullptr;
    if (param == nullptr) return true;
    value = param->ToNormalized(value);
  }
  values[index].store(value);
  set[index].store(true);
  anySet.store(true);
  return true;
}

void PlugValueQueue::Apply(ICanvas& canvas) {
  if (!anySet.exchange(false)) return;
  for (int i = 0; i < count; ++i)
    if (set[i].exchange(false)) canvas.ICanvas::SetParameterFromPlug(i, values[i], true);
}
