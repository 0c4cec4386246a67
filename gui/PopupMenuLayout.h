// Where a popup menu's items go: rows top to bottom, a new column after each
// item flagged kColumnBreak, every column as wide as its widest text plus room
// for a check mark. Built from a menu model (texts and flags are copied, so the
// model may go away), it answers which item lies under a point, which items
// can be chosen, and where the menu fits on the screen. Positions are relative
// to the menu's top-left corner. No window: the popup that draws the menu
// builds one on its GUI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gui/IMenuModel.h"
#include "raster/PixelTypes.h"

class PopupMenuLayout {
 public:
  static constexpr int kBorder = 1;
  static constexpr int kRowHeight = 20;
  static constexpr int kSeparatorHeight = 9;
  static constexpr int kCheckWidth = 20;  // left of the text, in every column
  static constexpr int kTextPadRight = 14;
  static constexpr int kMinColumnWidth = 60;

  struct Entry {
    std::string text;
    std::int32_t flags = 0;
    bool submenu = false;
    int column = 0;
    PixelRect rect;  // the item's row
  };

  // Lays out the model's items; measure gives a text's width in pixels.
  void Build(const IMenuModel& menu, const std::function<int(const std::string&)>& measure);

  int Width() const { return width; }
  int Height() const { return height; }
  int Columns() const { return columns; }
  int ItemCount() const { return static_cast<int>(entries.size()); }
  const Entry& ItemAt(int index) const { return entries[static_cast<std::size_t>(index)]; }

  // Whether a click may choose the item: not a separator, title, disabled item
  // or submenu (submenus are not opened; menus here are flat).
  bool Choosable(int index) const;
  // The item whose row holds the point, of any kind; -1 for none.
  int ItemAtPoint(int x, int y) const;
  // The choosable item under the point; -1 for none.
  int ChoosableAtPoint(int x, int y) const;
  // The next choosable item after from (step 1) or before it (step -1),
  // wrapping around; from -1 starts at either end. -1 when none is choosable.
  int NextChoosable(int from, int step) const;
  // The choosable item in the next column to the right (step 1) or left
  // (step -1) whose row is nearest to from's; from when there is none.
  int ChoosableInNextColumn(int from, int step) const;

  // The menu's place on the screen: its top-left at (x, y) when it fits, moved
  // left to stay inside the screen and above the point when it would run off
  // the bottom; a menu larger than the screen starts at the screen's edge.
  static PixelRect Place(int width, int height, int x, int y, const PixelRect& screen);

 private:
  std::vector<Entry> entries;
  int width = 0, height = 0, columns = 0;
};
