// The control model: hit search, mouse dispatch and gestures, values from the
// host and the user, dirty collection, drawing modes and parameter menus.
#include "gui/IBitmapWidget.h"
#include "gui/ITickRefresher.h"
#include "tests/gui/GuiTestSupport.h"

namespace guitest {
namespace {

// A control that records what reaches it.
class Probe : public IWidget {
 public:
  Probe(IEffectBase* plug, const PixelRect& rect, int param = -1) : IWidget(plug, rect, param) {}
  void MouseDown(int x, int, const MouseMods& mods) override {
    log.push_back("down " + std::to_string(x));
    IWidget::MouseDown(x, 0, mods);
  }
  void MouseUp(int x, int, const MouseMods&) override { log.push_back("up " + std::to_string(x)); }
  void MouseDrag(int x, int, int dX, int dY, const MouseMods&) override {
    log.push_back("drag " + std::to_string(x) + " " + std::to_string(dX) + " " +
                  std::to_string(dY));
  }
  bool Draw(ICanvas&) override {
    ++draws;
    return true;
  }
  std::vector<std::string> log;
  int draws = 0;
};

TEST(PixelRect, EmptyContainsIntersectsUnion) {
  const PixelRect none;
  const PixelRect a(0, 0, 10, 10), b(10, 10, 20, 20), c(5, 5, 15, 15);
  EXPECT_TRUE(none.Empty());
  EXPECT_FALSE(PixelRect(0, 0, 0, 1).Empty());
  EXPECT_FALSE(none.Contains(0, 0));
  EXPECT_TRUE(a.Contains(0, 0));
  EXPECT_TRUE(a.Contains(9, 9));
  EXPECT_FALSE(a.Contains(10, 5));
  EXPECT_TRUE(a.Intersects(c));
  EXPECT_TRUE(a.Intersects(b));  // touching edges count: R >= other.L
  EXPECT_FALSE(b.Intersects(a));
  EXPECT_FALSE(a.Intersects(none));
  EXPECT_EQ(none.Union(b), b);
  EXPECT_EQ(a.Union(b), PixelRect(0, 0, 20, 20));
  EXPECT_EQ(ArgbColor(255, 240, 163, 77).Packed(), 0xFFF0A34Du);
  EXPECT_EQ(ArgbColor::Unpacked(0x7F287B9Bu), ArgbColor(127, 40, 123, 155));
}

TEST_F(GuiTest, HitSearchFromTheFrontSkipsHiddenAndGrayed) {
  Probe* back = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 100, 100)));
  Probe* front = Attach(std::make_unique<Probe>(&plug, PixelRect(50, 0, 150, 100)));
  const MouseMods left{true};
  canvas->MouseDown(60, 5, left);
  canvas->MouseUp(60, 5, left);
  EXPECT_EQ(front->log.size(), 2u);
  EXPECT_TRUE(back->log.empty());

  front->Hide(true);
  canvas->MouseDown(60, 5, left);
  canvas->MouseUp(60, 5, left);
  EXPECT_EQ(back->log.size(), 2u);
  front->Hide(false);
  front->GrayOut(true);
  canvas->MouseDown(60, 5, left);
  canvas->MouseUp(60, 5, left);
  EXPECT_EQ(back->log.size(), 4u);
  EXPECT_EQ(front->Blend().weight, 0.25f);
  canvas->MouseDown(180, 5, left);  // nothing there
  EXPECT_EQ(back->log.size(), 4u);
}

TEST_F(GuiTest, CaptureGesturesAndDrags) {
  Probe* a = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 50, 50), 0));
  Probe* b = Attach(std::make_unique<Probe>(&plug, PixelRect(50, 0, 100, 50), 1));
  const MouseMods left{true};
  canvas->MouseDown(10, 10, left);
  canvas->MouseDrag(10, 10, left);  // same position: nothing
  canvas->MouseDrag(14, 7, left);
  canvas->MouseDrag(14, 7, left);
  canvas->MouseDrag(70, 7, left);  // over b, still a's
  canvas->MouseUp(70, 7, left);    // released over b: a gets it
  EXPECT_EQ(a->log, (std::vector<std::string>{"down 10", "drag 14 4 -3", "drag 70 56 0", "up 70"}));
  EXPECT_TRUE(b->log.empty());
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(calls[1].opcode, audioMasterEndEdit);
  EXPECT_EQ(calls[0].index, 0);
  canvas->MouseDrag(80, 7, left);  // nothing captured any more
  EXPECT_EQ(a->log.size(), 4u);

  // A control without parameter brackets no gesture.
  Attach(std::make_unique<Probe>(&plug, PixelRect(100, 0, 150, 50)));
  canvas->MouseDown(120, 10, left);
  canvas->MouseUp(120, 10, left);
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(GuiTest, ValuesFromHostWheelAndDoubleClick) {
  Probe* p = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 50, 50), 0));
  p->MarkClean();
  p->SetValueFromHost(0.4);  // the first value becomes the default
  EXPECT_EQ(p->DefaultValue(), 0.4);
  EXPECT_EQ(p->Value(), 0.4);
  EXPECT_TRUE(p->IsDirty());
  p->MarkClean();  // a redraw is still pending
  p->MarkClean();
  EXPECT_FALSE(p->IsDirty());
  p->SetValueFromHost(0.4);  // equal: nothing
  EXPECT_FALSE(p->IsDirty());

  canvas->MouseWheel(5, 5, MouseMods{}, 3);
  EXPECT_NEAR(p->Value(), 0.43, 1e-12);
  canvas->MouseWheel(5, 5, MouseMods{false, false, true}, -2);
  EXPECT_NEAR(p->Value(), 0.428, 1e-12);
  canvas->MouseWheel(5, 5, MouseMods{false, false, false, true}, 1);
  EXPECT_NEAR(p->Value(), 0.429, 1e-12);
  canvas->MouseWheel(5, 5, MouseMods{}, 100);
  EXPECT_EQ(p->Value(), 1.0);                // clamped
  EXPECT_EQ(Count(audioMasterAutomate), 4);  // every change is pushed

  calls.clear();
  EXPECT_FALSE(canvas->MouseDoubleClick(5, 5, MouseMods{true}));
  EXPECT_EQ(p->Value(), 0.4);
  ASSERT_EQ(Count(audioMasterAutomate), 1);
  EXPECT_NEAR(calls[0].value, 0.4f, 1e-6);
  EXPECT_NEAR(plug.Param(0)->Value(), 4.0, 1e-9);

  // Acting as a single click, a double click captures and presses.
  p->SetDoubleClickAsSingle(true);
  EXPECT_TRUE(canvas->MouseDoubleClick(7, 5, MouseMods{true}));
  EXPECT_EQ(p->log.back(), "down 7");
  // A right press asks the canvas for value entry.
  canvas->MouseDown(5, 5, MouseMods{false, true});
  ASSERT_EQ(canvas->prompted.size(), 1u);
  EXPECT_EQ(canvas->prompted[0], p);
  p->DisablePrompt(true);
  canvas->MouseDown(5, 5, MouseMods{false, true});
  EXPECT_EQ(canvas->prompted.size(), 1u);
}

TEST_F(GuiTest, ParametersReachTheirControls) {
  Probe* a = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 10, 10), 0));
  Probe* b = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 10, 10), 0));
  Probe* other = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 10, 10), 4));
  canvas->SetParameterFromPlug(0, 2.5, false);  // real units: normalised by the parameter
  EXPECT_EQ(a->Value(), 0.25);
  EXPECT_EQ(b->Value(), 0.25);
  EXPECT_EQ(other->Value(), 0.0);
  canvas->SetParameterFromPlug(4, 0.5, true);
  EXPECT_EQ(other->Value(), 0.5);
  canvas->SetControlsFromUser(0, 0.75);
  EXPECT_EQ(a->Value(), 0.75);
  EXPECT_NEAR(plug.Param(0)->Value(), 7.5, 1e-9);
}

TEST_F(GuiTest, DirtyCollectionAndStrictDrawing) {
  EXPECT_TRUE(canvas->Draw(PixelRect(0, 0, 200, 100)));  // no controls
  EXPECT_EQ(canvas->PresentedCount(), 0);

  Probe* a = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 50, 50)));
  Probe* b = Attach(std::make_unique<Probe>(&plug, PixelRect(100, 0, 150, 50)));
  Probe* hidden = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 60, 20, 80)));
  hidden->Hide(true);
  PixelRect area;
  ASSERT_TRUE(canvas->IsDirty(&area));  // every control starts dirty
  EXPECT_EQ(area, PixelRect(0, 0, 150, 80));
  EXPECT_TRUE(canvas->Draw(PixelRect(0, 0, 60, 90)));
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(b->draws, 0);  // outside the rectangle
  EXPECT_EQ(hidden->draws, 0);
  EXPECT_EQ(canvas->PresentedCount(), 1);
  // Everything was cleaned, drawn or not, except a redraw still pending.
  a->MarkClean();
  b->MarkClean();
  hidden->MarkClean();
  EXPECT_FALSE(canvas->IsDirty(&area));
  b->SetValueFromHost(0.5);
  ASSERT_TRUE(canvas->IsDirty(&area));
  EXPECT_EQ(area, b->DrawRect());
}

// Moves a control's value from state kept elsewhere, as an editor does.
class Follower : public ITickRefresher {
 public:
  Follower(IWidget* target, const double* source, int* destroyed)
      : target(target), source(source), destroyed(destroyed) {}
  ~Follower() override { ++*destroyed; }
  void Refresh() override {
    ++runs;
    target->SetValueFromHost(*source);
  }
  IWidget* target;
  const double* source;
  int* destroyed;
  int runs = 0;
};

TEST_F(GuiTest, TheTickRefreshesThenDrawsWhatIsDirty) {
  Probe* a = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 50, 50)));
  Probe* b = Attach(std::make_unique<Probe>(&plug, PixelRect(100, 0, 150, 50)));
  double shown = 0.25;
  int destroyed = 0;
  auto owned = std::make_unique<Follower>(b, &shown, &destroyed);
  Follower* follower = owned.get();
  canvas->SetTickRefresher(std::move(owned));
  EXPECT_TRUE(canvas->Tick());  // everything starts dirty
  EXPECT_EQ(follower->runs, 1);
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(b->draws, 1);
  EXPECT_TRUE(canvas->Tick());  // a value from the host redraws once more
  EXPECT_EQ(b->draws, 2);
  EXPECT_FALSE(canvas->Tick());  // nothing changed, nothing drawn
  EXPECT_EQ(canvas->PresentedCount(), 2);
  EXPECT_EQ(follower->runs, 3);

  // A change is copied in by the next tick and drawn in the same one; the
  // dirty search alone copies nothing.
  shown = 0.75;
  PixelRect area;
  EXPECT_FALSE(canvas->IsDirty(&area));
  EXPECT_EQ(b->Value(), 0.25);
  EXPECT_TRUE(canvas->Tick());
  EXPECT_EQ(b->Value(), 0.75);
  EXPECT_EQ(b->draws, 3);
  EXPECT_EQ(a->draws, 1);

  // Resizing deletes the controls and the refresher that points at them.
  canvas->Resize(200, 100);
  EXPECT_EQ(destroyed, 1);
  EXPECT_FALSE(canvas->Tick());
}

TEST_F(GuiTest, NonStrictDrawingRedrawsWhatOverlapsEachDirtyControl) {
  auto image = FramesImage(200, 100, {0xFF000000u});
  canvas->AttachControl(
      std::make_unique<IBitmapWidget>(&plug, PixelRect(0, 0, 200, 100), -1, Framed(*image, 1)));
  Probe* a = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 50, 50)));
  Probe* b = Attach(std::make_unique<Probe>(&plug, PixelRect(40, 0, 90, 50)));
  Probe* far = Attach(std::make_unique<Probe>(&plug, PixelRect(150, 0, 190, 50)));
  canvas->SetStrictDrawing(false);
  canvas->Draw(PixelRect(0, 0, 200, 100));  // the background is dirty: all drawn
  EXPECT_EQ(a->draws + b->draws + far->draws, 3);
  for (int i = 0; i < canvas->ControlCount(); ++i) canvas->Control(i)->MarkClean();
  a->MarkDirty(false);
  canvas->Draw(PixelRect(0, 0, 200, 100));
  EXPECT_EQ(a->draws, 2);
  EXPECT_EQ(b->draws, 2);  // overlaps a
  EXPECT_EQ(far->draws, 1);
}

TEST_F(GuiTest, ParameterMenus) {
  Probe* choice = Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 10, 10), 1));
  plug.Param(1)->SetValue(5);
  std::unique_ptr<IMenuModel> menu = choice->MakeParamMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->ItemCount(), 30);
  EXPECT_EQ(menu->Total(), 30);
  for (int i = 0; i < 30; ++i) {
    EXPECT_EQ((menu->ItemAt(i).flags & IMenuModel::kChecked) != 0, i == 5) << i;
    EXPECT_EQ((menu->ItemAt(i).flags & IMenuModel::kColumnBreak) != 0, i == 23) << i;
  }
  EXPECT_EQ(menu->ItemAt(7).text, "c7");
  choice->SetValueFromMenuItem(*menu, 9);
  EXPECT_NEAR(choice->Value(), 9.0 / 29, 1e-12);
  EXPECT_EQ(plug.Param(1)->Value(), 9);
  calls.clear();
  choice->SetValueFromMenuItem(*menu, 9);  // unchanged: nothing pushed
  EXPECT_TRUE(calls.empty());

  // Every text the parameter holds, in the order it was given, even where two
  // share a value: "Lit" has the boolean's own "off" and "on", then its two.
  std::unique_ptr<IMenuModel> lit =
      Attach(std::make_unique<Probe>(&plug, PixelRect(), 2))->MakeParamMenu();
  ASSERT_NE(lit, nullptr);
  std::vector<std::string> texts;
  for (int i = 0; i < lit->ItemCount(); ++i) texts.push_back(lit->ItemAt(i).text);
  EXPECT_EQ(texts, (std::vector<std::string>{"off", "on", "dark", "lit"}));
  EXPECT_NE(lit->ItemAt(0).flags & IMenuModel::kChecked, 0);
  EXPECT_EQ(Attach(std::make_unique<Probe>(&plug, PixelRect(), 4))->MakeParamMenu(), nullptr);
  EXPECT_EQ(Attach(std::make_unique<Probe>(&plug, PixelRect(), 0))->MakeParamMenu(), nullptr);
  EXPECT_EQ(Attach(std::make_unique<Probe>(&plug, PixelRect(), -1))->MakeParamMenu(), nullptr);

  IMenuModel outer;
  outer.AddTitle("t");
  outer.AddSubmenu("sub", std::move(menu));
  outer.AddSeparator();
  EXPECT_EQ(outer.Total(), 32);
}

TEST_F(GuiTest, ThePlugInTakesTheCanvasAsItsEditor) {
  auto owned = std::make_unique<TestCanvas>(&plug, 120, 80);
  TestCanvas* editor = owned.get();
  auto probe = std::make_unique<Probe>(&plug, PixelRect(0, 0, 10, 10), 0);
  Probe* control = probe.get();
  owned->AttachControl(std::move(probe));
  plug.Param(0)->SetValue(5.0);
  plug.AttachEditor(std::move(owned));
  EXPECT_EQ(control->Value(), 0.5);  // every control gets its parameter's value
  EXPECT_EQ(control->DefaultValue(), 0.5);
  EXPECT_NE(editor->GetPixelData(), nullptr);  // and the bitmap is made
  AEffect* effect = plug.Effect();
  ERect* rect = nullptr;
  ASSERT_EQ(effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.f), 1);
  EXPECT_EQ(rect->right, 120);
  EXPECT_EQ(rect->bottom, 80);
  EXPECT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, nullptr, 0.f), 0);  // no window here
  // A host change moves the control.
  effect->setParameter(effect, 0, 0.25f);
  EXPECT_FLOAT_EQ(static_cast<float>(control->Value()), 0.25f);
}

TEST_F(GuiTest, DroppedFilesAndResize) {
  canvas->DropFile("/a.wav");
  EXPECT_TRUE(plug.dropped.empty());  // not accepting yet
  canvas->SetAcceptFileDrops(true);
  canvas->DropFile("/a.wav");
  ASSERT_EQ(plug.dropped.size(), 1u);
  canvas->DropFile2("/b.wav");
  EXPECT_EQ(plug.dropped.size(), 1u);

  Attach(std::make_unique<Probe>(&plug, PixelRect(0, 0, 10, 10)));
  canvas->Resize(300, 120);
  EXPECT_EQ(canvas->ControlCount(), 0);
  EXPECT_EQ(canvas->Width(), 300);
  // The headless canvas has no window.
  EXPECT_FALSE(canvas->OpenEditor(nullptr));
}

}  // namespace
}  // namespace guitest
