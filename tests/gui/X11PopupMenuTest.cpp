#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gui/X11PopupMenu.h"
#include "tests/gui/X11PromptTestSupport.h"

namespace {

std::unique_ptr<IMenuModel> RateMenu() {
  auto menu = std::make_unique<IMenuModel>();
  menu->AddText("x 0.5");
  menu->AddText("x 1", IMenuModel::kChecked);
  menu->AddText("x 2", IMenuModel::kColumnBreak);
  menu->AddText("x 4", IMenuModel::kDisabled);
  menu->AddSeparator();
  menu->AddText("x 8");
  return menu;
}

class X11PopupMenuTest : public prompt_test::XDisplayTest {
 protected:
  // Before the display connection closes.
  void TearDown() override {
    menu.Close();
    XDisplayTest::TearDown();
  }
  std::function<void(const XEvent&)> Handle() {
    return [this](const XEvent& event) { menu.HandleEvent(event); };
  }
  bool WaitUntilFinished() {
    return PumpUntil(Handle(), [this] { return menu.Finished(); });
  }
  // The middle of an item on the root window, as xdotool arguments.
  std::string AtItem(int item) const {
    const PixelRect& row = menu.Layout().ItemAt(item).rect;
    return std::to_string(menu.Placement().L + (row.L + row.R) / 2) + " " +
           std::to_string(menu.Placement().T + (row.T + row.B) / 2);
  }

  X11PopupMenu menu;
};

}  // namespace

TEST_F(X11PopupMenuTest, AClickOnTheThirdItemChoosesIt) {
  auto model = RateMenu();
  ASSERT_TRUE(menu.Open(display, editor, *model, 200, 150));
  model.reset();  // the menu keeps what it shows
  EXPECT_TRUE(menu.IsOpen());
  EXPECT_FALSE(menu.Finished());
  EXPECT_EQ(menu.Chosen(), -1);
  EXPECT_EQ(menu.Placement().L, 200);
  EXPECT_EQ(menu.Placement().T, 150);
  EXPECT_EQ(menu.Layout().Columns(), 2);

  ASSERT_TRUE(Xdo("mousemove " + AtItem(2) + " click 1"));
  ASSERT_TRUE(WaitUntilFinished());
  EXPECT_EQ(menu.Chosen(), 2);
  EXPECT_FALSE(menu.IsOpen());
  menu.Close();
  EXPECT_FALSE(menu.Finished());
  EXPECT_EQ(menu.Chosen(), -1);
}

TEST_F(X11PopupMenuTest, AClickOutsideOrEscapeEndsWithNothingChosen) {
  auto model = RateMenu();
  ASSERT_TRUE(menu.Open(display, editor, *model, 200, 150));
  ASSERT_TRUE(Xdo("mousemove 600 600 click 1"));
  ASSERT_TRUE(WaitUntilFinished());
  EXPECT_EQ(menu.Chosen(), -1);
  EXPECT_FALSE(menu.IsOpen());

  // The grab went with the menu: another client may grab again.
  EXPECT_EQ(XGrabPointer(display, editor, False, ButtonPressMask, GrabModeAsync, GrabModeAsync,
                         None, None, CurrentTime),
            GrabSuccess);
  XUngrabPointer(display, CurrentTime);

  ASSERT_TRUE(menu.Open(display, editor, *model, 200, 150));
  ASSERT_TRUE(Xdo("key Escape"));
  ASSERT_TRUE(WaitUntilFinished());
  EXPECT_EQ(menu.Chosen(), -1);
}

TEST_F(X11PopupMenuTest, DisabledItemsAndSeparatorsCannotBeChosen) {
  auto model = RateMenu();
  ASSERT_TRUE(menu.Open(display, editor, *model, 200, 150));
  ASSERT_TRUE(Xdo("mousemove " + AtItem(3) + " click 1"));
  ASSERT_TRUE(Xdo("mousemove " + AtItem(4) + " click 1"));
  Drain(Handle());
  EXPECT_FALSE(menu.Finished());
  EXPECT_EQ(menu.Highlighted(), -1);
  ASSERT_TRUE(Xdo("mousemove " + AtItem(5) + " click 1"));
  ASSERT_TRUE(WaitUntilFinished());
  EXPECT_EQ(menu.Chosen(), 5);
}

TEST_F(X11PopupMenuTest, TheRowUnderThePointerIsHighlighted) {
  auto model = RateMenu();
  ASSERT_TRUE(menu.Open(display, editor, *model, 200, 150));
  ASSERT_TRUE(Xdo("mousemove " + AtItem(1)));
  ASSERT_TRUE(PumpUntil(Handle(), [this] { return menu.Highlighted() == 1; }));
  Drain(Handle());
  const PixelRect& lit = menu.Layout().ItemAt(1).rect;
  const PixelRect& plain = menu.Layout().ItemAt(0).rect;
  EXPECT_EQ(PixelAt(menu.WindowId(), lit.R - 3, lit.T + 1), 0x3875D7u);
  EXPECT_EQ(PixelAt(menu.WindowId(), plain.R - 3, plain.T + 1), 0xF2F2F2u);
  EXPECT_EQ(PixelAt(menu.WindowId(), 0, 0), 0x808080u);
  // Off the menu: nothing is lit.
  ASSERT_TRUE(Xdo("mousemove 700 700"));
  ASSERT_TRUE(PumpUntil(Handle(), [this] { return menu.Highlighted() == -1; }));
}

TEST_F(X11PopupMenuTest, KeysMoveTheHighlightAndReturnChooses) {
  auto model = RateMenu();
  ASSERT_TRUE(menu.Open(display, editor, *model, 200, 150));
  // Down from nothing lights the first item; Right crosses to the nearest
  // choice of the next column, skipping the disabled row beside it.
  ASSERT_TRUE(Xdo("key Down Right"));
  ASSERT_TRUE(PumpUntil(Handle(), [this] { return menu.Highlighted() == 5; }));
  ASSERT_TRUE(Xdo("key Up Up Return"));
  ASSERT_TRUE(WaitUntilFinished());
  EXPECT_EQ(menu.Chosen(), 1);  // Up skipped the separator and the disabled item
}

TEST_F(X11PopupMenuTest, ReleasingTheOpeningButtonChoosesOnlyAfterADrag) {
  auto model = RateMenu();
  // The menu opens under a held button, the pointer over its first item.
  ASSERT_TRUE(Xdo("mousemove 300 200 mousedown 3"));
  ASSERT_TRUE(menu.Open(display, editor, *model, 295, 190));
  ASSERT_EQ(menu.Layout().ChoosableAtPoint(5, 10), 0);
  ASSERT_TRUE(Xdo("mouseup 3"));
  Drain(Handle());
  EXPECT_FALSE(menu.Finished());
  menu.Close();

  ASSERT_TRUE(Xdo("mousedown 3"));
  ASSERT_TRUE(menu.Open(display, editor, *model, 295, 190));
  ASSERT_TRUE(Xdo("mousemove " + AtItem(2) + " mouseup 3"));
  ASSERT_TRUE(WaitUntilFinished());
  EXPECT_EQ(menu.Chosen(), 2);
}

TEST_F(X11PopupMenuTest, StaysOnTheScreenNearItsEdges) {
  auto model = RateMenu();
  ASSERT_TRUE(menu.Open(display, editor, *model, 1275, 1020));
  const PixelRect placed = menu.Placement();
  EXPECT_LE(placed.R, 1280);
  EXPECT_LE(placed.B, 1020);  // opened above the point
  int x, y;
  RootPosition(menu.WindowId(), &x, &y);
  EXPECT_EQ(x, placed.L);
  EXPECT_EQ(y, placed.T);
  menu.Close();
  EXPECT_FALSE(menu.IsOpen());
}

TEST_F(X11PopupMenuTest, OpeningFailsCleanlyWhenItCannotShowOrGrab) {
  IMenuModel empty;
  EXPECT_FALSE(menu.Open(display, editor, empty, 10, 10));
  EXPECT_TRUE(menu.Finished());
  EXPECT_EQ(menu.Chosen(), -1);

  // Another client holds the pointer for longer than the menu waits.
  Display* other = XOpenDisplay(nullptr);
  ASSERT_NE(other, nullptr);
  const Window holder = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 50, 50, 0, 0, 0);
  XMapWindow(other, holder);
  XSync(other, False);
  ASSERT_EQ(XGrabPointer(other, holder, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None,
                         None, CurrentTime),
            GrabSuccess);
  auto model = RateMenu();
  EXPECT_FALSE(menu.Open(display, editor, *model, 10, 10));
  EXPECT_TRUE(menu.Finished());
  EXPECT_FALSE(menu.IsOpen());
  EXPECT_EQ(menu.Chosen(), -1);
  XCloseDisplay(other);

  // With the owner gone the menu still opens on the default screen.
  XDestroyWindow(display, editor);
  EXPECT_TRUE(menu.Open(display, editor, *model, 10, 10));
  menu.Close();
}
