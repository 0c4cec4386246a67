#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gui/PopupMenuLayout.h"

namespace {

// Ten pixels per byte keeps the widths easy to follow.
int TenPerByte(const std::string& text) { return static_cast<int>(text.size()) * 10; }

// Items "0" .. "n-1", a column break after every perColumn of them.
std::unique_ptr<IMenuModel> Numbered(int n, int perColumn) {
  auto menu = std::make_unique<IMenuModel>();
  for (int i = 0; i < n; ++i)
    menu->AddText(std::to_string(i).c_str(),
                  (i + 1) % perColumn == 0 ? IMenuModel::kColumnBreak : 0);
  return menu;
}

PixelRect Middle(const PopupMenuLayout& layout, int item) {
  const PixelRect& r = layout.ItemAt(item).rect;
  const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
  return PixelRect(x, y, x + 1, y + 1);
}

}  // namespace

TEST(PopupMenuLayout, ColumnBreaksStartNewColumnsAtTheTop) {
  PopupMenuLayout layout;
  layout.Build(*Numbered(7, 3), TenPerByte);
  ASSERT_EQ(layout.ItemCount(), 7);
  EXPECT_EQ(layout.Columns(), 3);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(layout.ItemAt(i).column, i / 3) << i;
  // Rows restart at the top in each column, and the columns do not overlap.
  EXPECT_EQ(layout.ItemAt(3).rect.T, layout.ItemAt(0).rect.T);
  EXPECT_EQ(layout.ItemAt(4).rect.T, layout.ItemAt(1).rect.T);
  EXPECT_GT(layout.ItemAt(3).rect.L, layout.ItemAt(0).rect.R - 1);
  EXPECT_GT(layout.ItemAt(6).rect.L, layout.ItemAt(3).rect.R - 1);
  // The tallest column sets the height, the last column ends inside the width.
  EXPECT_EQ(layout.Height(), layout.ItemAt(2).rect.B + PopupMenuLayout::kBorder);
  EXPECT_EQ(layout.Width(), layout.ItemAt(6).rect.R + PopupMenuLayout::kBorder);

  // A break on the last item opens no empty column.
  layout.Build(*Numbered(6, 3), TenPerByte);
  EXPECT_EQ(layout.Columns(), 2);
}

TEST(PopupMenuLayout, ColumnsAreAsWideAsTheirWidestText) {
  IMenuModel menu;
  menu.AddText("ab", IMenuModel::kColumnBreak);  // narrower than the least width
  menu.AddText("a much longer text");            // 180 pixels at ten per byte
  menu.AddText("x");
  PopupMenuLayout layout;
  layout.Build(menu, TenPerByte);
  EXPECT_EQ(layout.ItemAt(0).rect.W(), PopupMenuLayout::kMinColumnWidth);
  const int wide = PopupMenuLayout::kCheckWidth + 180 + PopupMenuLayout::kTextPadRight;
  EXPECT_EQ(layout.ItemAt(1).rect.W(), wide);
  EXPECT_EQ(layout.ItemAt(2).rect.W(), wide);
}

TEST(PopupMenuLayout, PointsFindTheirItemAndOnlyChoosableOnesCount) {
  IMenuModel menu;
  menu.AddTitle("Mode");
  menu.AddText("one");
  menu.AddSeparator();
  menu.AddText("two", IMenuModel::kDisabled);
  menu.AddText("three", IMenuModel::kChecked);
  menu.AddSubmenu("more", std::make_unique<IMenuModel>());
  PopupMenuLayout layout;
  layout.Build(menu, TenPerByte);
  EXPECT_LT(layout.ItemAt(2).rect.H(), layout.ItemAt(1).rect.H());  // separators are thin

  for (int i = 0; i < layout.ItemCount(); ++i) {
    const PixelRect p = Middle(layout, i);
    EXPECT_EQ(layout.ItemAtPoint(p.L, p.T), i);
  }
  const auto chosenAt = [&](int item) {
    const PixelRect p = Middle(layout, item);
    return layout.ChoosableAtPoint(p.L, p.T);
  };
  EXPECT_EQ(chosenAt(0), -1);  // title
  EXPECT_EQ(chosenAt(1), 1);
  EXPECT_EQ(chosenAt(2), -1);  // separator
  EXPECT_EQ(chosenAt(3), -1);  // disabled
  EXPECT_EQ(chosenAt(4), 4);   // checked items are ordinary choices
  EXPECT_EQ(chosenAt(5), -1);  // submenus are not opened

  // Row edges: the top row's first pixel is in, the frame and beyond are out.
  const PixelRect& first = layout.ItemAt(0).rect;
  EXPECT_EQ(layout.ItemAtPoint(first.L, first.T), 0);
  EXPECT_EQ(layout.ItemAtPoint(0, 0), -1);
  EXPECT_EQ(layout.ItemAtPoint(-5, first.T + 3), -1);
  EXPECT_EQ(layout.ItemAtPoint(first.L + 2, layout.Height()), -1);
  EXPECT_EQ(layout.ItemAtPoint(layout.Width(), first.T + 3), -1);
}

TEST(PopupMenuLayout, KeyboardStepsSkipWhatCannotBeChosen) {
  IMenuModel menu;
  menu.AddText("a");
  menu.AddSeparator();
  menu.AddText("b", IMenuModel::kDisabled | IMenuModel::kColumnBreak);
  menu.AddText("c");
  menu.AddText("d");
  PopupMenuLayout layout;
  layout.Build(menu, TenPerByte);
  EXPECT_EQ(layout.NextChoosable(-1, 1), 0);
  EXPECT_EQ(layout.NextChoosable(-1, -1), 4);
  EXPECT_EQ(layout.NextChoosable(0, 1), 3);
  EXPECT_EQ(layout.NextChoosable(3, -1), 0);
  EXPECT_EQ(layout.NextChoosable(4, 1), 0);  // wraps
  EXPECT_EQ(layout.NextChoosable(0, -1), 4);

  // Sideways: the nearest row of the next column that has a choice.
  EXPECT_EQ(layout.ChoosableInNextColumn(0, 1), 3);
  EXPECT_EQ(layout.ChoosableInNextColumn(4, -1), 0);
  EXPECT_EQ(layout.ChoosableInNextColumn(4, 1), 4);  // no column further right

  IMenuModel dead;
  dead.AddSeparator();
  dead.AddText("off", IMenuModel::kDisabled);
  layout.Build(dead, TenPerByte);
  EXPECT_EQ(layout.NextChoosable(-1, 1), -1);
  EXPECT_EQ(layout.NextChoosable(0, -1), -1);
}

TEST(PopupMenuLayout, PlacementKeepsTheMenuOnTheScreen) {
  const PixelRect screen(0, 0, 1280, 1024);
  EXPECT_EQ(PopupMenuLayout::Place(200, 100, 50, 60, screen), PixelRect(50, 60, 250, 160));
  // Off the right edge: moved left. Off the bottom: opened above the point.
  EXPECT_EQ(PopupMenuLayout::Place(200, 100, 1200, 60, screen), PixelRect(1080, 60, 1280, 160));
  EXPECT_EQ(PopupMenuLayout::Place(200, 100, 50, 1000, screen), PixelRect(50, 900, 250, 1000));
  // Taller than the space above and below: pinned to the bottom edge.
  EXPECT_EQ(PopupMenuLayout::Place(200, 600, 50, 500, screen), PixelRect(50, 424, 250, 1024));
  // Larger than the screen: its top-left corner stays visible.
  EXPECT_EQ(PopupMenuLayout::Place(1500, 1100, 300, 300, screen), PixelRect(0, 0, 1500, 1100));
  // A point left of or above the screen.
  EXPECT_EQ(PopupMenuLayout::Place(200, 100, -40, -10, screen), PixelRect(0, 0, 200, 100));
}
