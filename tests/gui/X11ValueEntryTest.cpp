#include <gtest/gtest.h>

#include <string>

#include "gui/X11ValueEntry.h"
#include "tests/gui/X11PromptTestSupport.h"

namespace {

// Where the editor puts the field for a control centred on (136, 118).
const PixelRect kField(118, 110, 190, 130);

class X11ValueEntryTest : public prompt_test::XDisplayTest {
 protected:
  // Before the display connection closes.
  void TearDown() override {
    entry.Close();
    XDisplayTest::TearDown();
  }
  void OpenAndFocus(const std::string& text) {
    ASSERT_TRUE(entry.Open(display, editor, kField, text));
    ASSERT_TRUE(PumpUntil(Handle(), [this] { return entry.State() == X11ValueEntry::kFocused; }))
        << "the field never got the focus";
  }
  std::function<void(const XEvent&)> Handle() {
    return [this](const XEvent& event) { entry.HandleEvent(event); };
  }
  bool WaitForState(int state) {
    return PumpUntil(Handle(), [this, state] { return entry.State() == state; });
  }
  bool WaitForText(const std::string& text) {
    return PumpUntil(Handle(), [this, text] { return entry.Text() == text; });
  }

  X11ValueEntry entry;
};

}  // namespace

TEST_F(X11ValueEntryTest, OpensOverTheControlWithItsTextSelectedAndDrawn) {
  OpenAndFocus("1.00 x");
  EXPECT_TRUE(entry.IsOpen());
  EXPECT_EQ(entry.Text(), "1.00 x");
  EXPECT_EQ(entry.Buffer().SelectionStart(), 0);
  EXPECT_EQ(entry.Buffer().SelectionEnd(), 6);

  XWindowAttributes attributes;
  ASSERT_NE(XGetWindowAttributes(display, entry.WindowId(), &attributes), 0);
  EXPECT_EQ(attributes.x, kField.L);
  EXPECT_EQ(attributes.y, kField.T);
  EXPECT_EQ(attributes.width, kField.W());
  EXPECT_EQ(attributes.height, kField.H());
  EXPECT_EQ(attributes.map_state, IsViewable);
  Window focus;
  int revert;
  XGetInputFocus(display, &focus, &revert);
  EXPECT_EQ(focus, entry.WindowId());

  // A dark border, a white inside, and the selection's highlight above the
  // glyphs in the middle of the field.
  Drain(Handle());
  EXPECT_EQ(PixelAt(entry.WindowId(), 0, 0), 0x505050u);
  EXPECT_EQ(PixelAt(entry.WindowId(), kField.W() - 1, kField.H() - 1), 0x505050u);
  EXPECT_EQ(PixelAt(entry.WindowId(), 2, 10), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(entry.WindowId(), kField.W() / 2, 2), 0x3875D7u);

  entry.Close();
  EXPECT_FALSE(entry.IsOpen());
  EXPECT_EQ(entry.State(), X11ValueEntry::kIdle);
}

TEST_F(X11ValueEntryTest, TypingAValueAndReturnAsksForACommit) {
  OpenAndFocus("1.00 x");
  ASSERT_TRUE(Xdo("type 0.5"));
  ASSERT_TRUE(WaitForText("0.5"));
  EXPECT_EQ(entry.State(), X11ValueEntry::kFocused);
  ASSERT_TRUE(Xdo("key Return"));
  ASSERT_TRUE(WaitForState(X11ValueEntry::kCommit));
  EXPECT_EQ(entry.Text(), "0.5");
}

TEST_F(X11ValueEntryTest, EditingKeysMoveTheCaretAndDeleteAndEscapeCancels) {
  OpenAndFocus("12345");
  // End drops the selection; then one key per edit.
  ASSERT_TRUE(Xdo("key End BackSpace"));
  ASSERT_TRUE(WaitForText("1234"));
  ASSERT_TRUE(Xdo("key Home Delete Right Right 9"));
  ASSERT_TRUE(WaitForText("2394"));
  ASSERT_TRUE(Xdo("key shift+Left shift+Left BackSpace"));
  ASSERT_TRUE(WaitForText("24"));
  ASSERT_TRUE(Xdo("key ctrl+a minus"));
  ASSERT_TRUE(WaitForText("-"));
  ASSERT_TRUE(Xdo("key Escape"));
  ASSERT_TRUE(WaitForState(X11ValueEntry::kCancel));
  EXPECT_EQ(entry.Text(), "-");
}

TEST_F(X11ValueEntryTest, TheLengthLimitHoldsForTyping) {
  OpenAndFocus("");
  entry.SetText(std::string(1000, '7'), false);
  ASSERT_TRUE(Xdo("key Home 1"));
  // The key press is ignored: wait for Home's effect, then the typed key.
  ASSERT_TRUE(PumpUntil(Handle(), [this] { return entry.Buffer().Caret() == 0; }));
  Drain(Handle());
  EXPECT_EQ(entry.Text(), std::string(1000, '7'));
  ASSERT_TRUE(Xdo("key Delete 1"));
  ASSERT_TRUE(WaitForText("1" + std::string(999, '7')));
}

TEST_F(X11ValueEntryTest, ClicksPlaceTheCaretAndDragsSelect) {
  OpenAndFocus("12345");
  int x, y;
  RootPosition(entry.WindowId(), &x, &y);
  const int middleY = y + kField.H() / 2;
  ASSERT_TRUE(
      Xdo("mousemove " + std::to_string(x + 3) + " " + std::to_string(middleY) + " click 1"));
  ASSERT_TRUE(PumpUntil(
      Handle(), [this] { return entry.Buffer().Caret() == 0 && !entry.Buffer().HasSelection(); }));
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(x + kField.W() - 3) + " " +
                  std::to_string(middleY) + " click 1"));
  ASSERT_TRUE(PumpUntil(
      Handle(), [this] { return entry.Buffer().Caret() == 5 && !entry.Buffer().HasSelection(); }));
  // A press at the start, dragged to the end, selects everything.
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(x + 3) + " " + std::to_string(middleY) +
                  " mousedown 1 mousemove " + std::to_string(x + kField.W() - 3) + " " +
                  std::to_string(middleY) + " mouseup 1"));
  ASSERT_TRUE(PumpUntil(Handle(), [this] {
    return entry.Buffer().SelectionStart() == 0 && entry.Buffer().SelectionEnd() == 5;
  }));
}

TEST_F(X11ValueEntryTest, FocusChangesLeavePendingRequestsAlone) {
  OpenAndFocus("3");
  XSetInputFocus(display, editor, RevertToParent, CurrentTime);
  ASSERT_TRUE(WaitForState(X11ValueEntry::kIdle));
  XSetInputFocus(display, entry.WindowId(), RevertToParent, CurrentTime);
  ASSERT_TRUE(WaitForState(X11ValueEntry::kFocused));

  // A refresh the owner asked for survives the focus going away.
  entry.SetState(X11ValueEntry::kRefresh);
  XSetInputFocus(display, editor, RevertToParent, CurrentTime);
  Drain(Handle());
  EXPECT_EQ(entry.State(), X11ValueEntry::kRefresh);
  entry.SetText("4.5", true);
  EXPECT_EQ(entry.Text(), "4.5");
  EXPECT_TRUE(entry.Buffer().HasSelection());
}

TEST_F(X11ValueEntryTest, KeysThatReachTheEditorWindowAreTypedIntoTheField) {
  OpenAndFocus("");
  XSetInputFocus(display, editor, RevertToParent, CurrentTime);
  ASSERT_TRUE(WaitForState(X11ValueEntry::kIdle));
  ASSERT_TRUE(Xdo("type 42"));
  ASSERT_TRUE(WaitForText("42"));
}

TEST_F(X11ValueEntryTest, SurvivesTheEditorWindowVanishing) {
  OpenAndFocus("1");
  XDestroyWindow(display, editor);
  ASSERT_TRUE(PumpUntil(Handle(), [this] { return !entry.IsOpen(); }));
  entry.SetText("2", true);
  EXPECT_EQ(entry.Text(), "2");
  entry.Close();

  // Opening inside a window that is gone fails cleanly.
  EXPECT_FALSE(entry.Open(display, editor, kField, "3"));
  EXPECT_FALSE(entry.IsOpen());
}
