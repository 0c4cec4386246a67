#include "gui/ICanvas.h"

#include "core/IEffectForEditor.h"
#include "core/IEffectParam.h"
#include "gui/IBitmapWidget.h"
#include "gui/ITickRefresher.h"
#include "gui/IWidget.h"
#include "gui/IWindowHost.h"

ICanvas::ICanvas(IEffectForEditor* plugIn, int w, int h, int fps)
    : plug(plugIn), width(w), height(h), framesPerSecond(fps > 0 ? fps : 24) {}

ICanvas::~ICanvas() {
  tickRefresher.reset();  // it refers to the controls
  while (!controls.empty()) controls.pop_back();
}

int ICanvas::AttachControl(std::unique_ptr<IWidget> control) {
  control->SetWindowHost(windowHost);
  controls.push_back(std::move(control));
  return ControlCount() - 1;
}

void ICanvas::AttachBackground(int id, const char* name) {
  const FrameBitmap bitmap = LoadBitmap(id, name, 1);
  auto background =
      std::make_unique<IBitmapWidget>(plug, PixelRect(0, 0, bitmap.W, bitmap.FrameHeight()), -1,
                                      bitmap, BlendSpec(BlendSpec::kClobber, 1.0f));
  background->SetWindowHost(windowHost);
  controls.insert(controls.begin(), std::move(background));
}

bool ICanvas::DrawBitmap(const FrameBitmap& bitmap, const PixelRect& dest, int frame,
                         const BlendSpec& blend) {
  int srcY = 0;
  if (bitmap.N >= 2 && frame >= 2)
    srcY = static_cast<int>(static_cast<double>(bitmap.H) * (frame - 1) / bitmap.N + 0.5);
  return DrawBitmap(bitmap, dest, 0, srcY, blend);
}

bool ICanvas::DrawRect(const ArgbColor& color, const PixelRect& r) {
  const bool top = DrawHorizontalLine(color, r.T, r.L, r.R);
  const bool bottom = DrawHorizontalLine(color, r.B, r.L, r.R);
  const bool left = DrawVerticalLine(color, r.L, r.T, r.B);
  const bool right = DrawVerticalLine(color, r.R, r.T, r.B);
  return top && bottom && left && right;
}

bool ICanvas::DrawVerticalLine(const ArgbColor& color, int x, int yLo, int yHi) {
  return DrawLine(color, x, yLo, x, yHi, BlendSpec(BlendSpec::kClobber, 1.0f), false);
}

bool ICanvas::DrawHorizontalLine(const ArgbColor& color, int y, int xLo, int xHi) {
  return DrawLine(color, xLo, y, xHi, y, BlendSpec(BlendSpec::kClobber, 1.0f), false);
}

void ICanvas::Resize(int w, int h) {
  width = w;
  height = h;
  captured = -1;
  lastX = lastY = -1;
  tickRefresher.reset();
  while (!controls.empty()) controls.pop_back();
  if (plug != nullptr) plug->EditorSizeChanged();
}

void ICanvas::SetTickRefresher(std::unique_ptr<ITickRefresher> refresher) {
  tickRefresher = std::move(refresher);
}

bool ICanvas::Tick() {
  if (tickRefresher) tickRefresher->Refresh();
  PixelRect dirtyArea;
  return IsDirty(&dirtyArea) && Draw(dirtyArea);
}

void ICanvas::DropFile(const char* path) {
  if (acceptDrops && plug != nullptr) plug->FileDropped(path);
}

void ICanvas::DropFile2(const char* path) {
  if (acceptDrops2 && plug != nullptr) plug->SecondFileDropped(path);
}

void ICanvas::SetWindowHost(IWindowHost* host) {
  windowHost = host;
  for (auto& control : controls) control->SetWindowHost(host);
}

bool ICanvas::OpenEditor(void* parent) {
  return windowHost != nullptr && windowHost->OpenWindow(parent) != nullptr;
}

void ICanvas::CloseEditor() {
  if (windowHost != nullptr) windowHost->CloseWindow();
}

void ICanvas::IdleEditor() {
  if (windowHost != nullptr) windowHost->Pump();
}

void ICanvas::SetParameterFromPlug(int index, double value, bool normalized) {
  if (!normalized) {
    IEffectParam* param = plug != nullptr ? plug->Param(index) : nullptr;
    if (param == nullptr) return;
    value = param->ToNormalized(value);
  }
  for (auto& control : controls)
    if (control->ParamIndex() == index) control->SetValueFromHost(value);
}

void ICanvas::SetControlsFromUser(int index, double value) {
  for (auto& control : controls)
    if (control->ParamIndex() == index) control->SetValueFromUserInput(value);
}

void ICanvas::SetAllControlsDirty() {
  for (auto& control : controls) control->MarkDirty(false);
}

void ICanvas::MouseOutAll() {
  for (auto& control : controls) control->MouseOut();
  mouseOverIndex = -1;
}

int ICanvas::ControlAt(int x, int y) {
  if (captured >= 0) return captured;
  for (int i = ControlCount() - 1; i >= 0; --i) {
    IWidget& control = *controls[i];
    if (!control.IsHidden() && !control.IsGrayed() && control.HitTest(x, y)) return i;
  }
  return -1;
}

void ICanvas::Capture(int index, int x, int y, const MouseMods& mods) {
  captured = index;
  lastX = x;
  lastY = y;
  rightAtPress = mods.right;
}

void ICanvas::MouseDown(int x, int y, const MouseMods& mods) {
  captured = -1;
  lastX = lastY = -1;
  const int c = ControlAt(x, y);
  if (c < 0) return;
  Capture(c, x, y, mods);
  IWidget& control = *controls[c];
  // The gesture opens first: a press that snaps a control already moves its
  // parameter, and hosts recording a touch take only changes inside one.
  if (control.ParamIndex() >= 0 && plug != nullptr) plug->BeginParamEdit(control.ParamIndex());
  control.MouseDown(x, y, mods);
}

void ICanvas::MouseUp(int x, int y, const MouseMods& mods) {
  const int c = ControlAt(x, y);
  captured = -1;
  lastX = lastY = -1;
  rightAtPress = false;
  if (c < 0) return;
  IWidget& control = *controls[c];
  control.MouseUp(x, y, mods);
  if (control.ParamIndex() >= 0 && plug != nullptr) plug->EndParamEdit(control.ParamIndex());
}

void ICanvas::MouseDrag(int x, int y, const MouseMods& mods) {
  if (captured < 0 || (x == lastX && y == lastY)) return;
  const int dX = x - lastX, dY = y - lastY;
  lastX = x;
  lastY = y;
  controls[captured]->MouseDrag(x, y, dX, dY, mods);
}

bool ICanvas::MouseDoubleClick(int x, int y, const MouseMods& mods) {
  captured = -1;
  const int c = ControlAt(x, y);
  if (c < 0) return false;
  IWidget& control = *controls[c];
  if (control.DoubleClickAsSingle()) {
    Capture(c, x, y, mods);
    control.MouseDown(x, y, mods);
    return true;
  }
  control.MouseDoubleClick(x, y, mods);
  return false;
}

void ICanvas::MouseWheel(int x, int y, const MouseMods& mods, int notches) {
  const int c = ControlAt(x, y);
  if (c >= 0) controls[c]->MouseWheel(x, y, mods, notches);
}

void ICanvas::KeyDown(int x, int y, int key) {
  const int c = ControlAt(x, y);
  if (c >= 0) controls[c]->KeyDown(x, y, key);
}

bool ICanvas::MouseOver(int x, int y, const MouseMods& mods) {
  if (!handleMouseOver) return false;
  const int c = ControlAt(x, y);
  if (c >= 0) {
    lastX = x;
    lastY = y;
    controls[c]->MouseOver(x, y, mods);
    if (mouseOverIndex >= 0 && mouseOverIndex != c) controls[mouseOverIndex]->MouseOut();
    mouseOverIndex = c;
  }
  return true;
}

bool ICanvas::IsDirty(PixelRect* rect) {
  bool any = false;
  PixelRect area;
  for (auto& control : controls) {
    control->Notify();
    if (control->IsDirty()) {
      area = area.Union(control->DrawRect());
      any = true;
    }
  }
  if (rect != nullptr) *rect = area;
  return any;
}

bool ICanvas::Draw(const PixelRect& rect) {
  if (controls.empty()) return true;
  if (strictDrawing) {
    drawClip = rect;
    for (auto& control : controls) {
      if (!control->IsHidden() && control->DrawRect().Intersects(rect)) control->Draw(*this);
      control->MarkClean();
    }
  } else if (controls[0]->IsDirty()) {
    drawClip = controls[0]->DrawRect();
    for (int i = 0; i < ControlCount(); ++i) {
      if (i == 0 || !controls[i]->IsHidden()) controls[i]->Draw(*this);
      controls[i]->MarkClean();
    }
  } else {
    for (int i = 1; i < ControlCount(); ++i) {
      IWidget& dirtyControl = *controls[i];
      if (!dirtyControl.IsDirty()) continue;
      drawClip = dirtyControl.DrawRect();
      for (int j = 0; j < ControlCount(); ++j) {
        IWidget& other = *controls[j];
        const bool overlaps = !other.DrawRect().Empty() && other.DrawRect().Intersects(drawClip);
        if (j == i || (!other.IsHidden() && overlaps)) other.Draw(*this);
      }
      dirtyControl.MarkClean();
    }
  }
  return windowHost == nullptr || windowHost->PresentRect(rect);
}
