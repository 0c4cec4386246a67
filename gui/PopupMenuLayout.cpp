#include "gui/PopupMenuLayout.h"

#include <algorithm>
#include <cstdlib>

void PopupMenuLayout::Build(const IMenuModel& menu,
                            const std::function<int(const std::string&)>& measure) {
  entries.clear();
  entries.reserve(static_cast<std::size_t>(menu.ItemCount()));
  // First pass: columns, rows and the widest text of each column.
  std::vector<int> columnWidths(1, kMinColumnWidth);
  int y = kBorder, tallest = 0;
  for (int i = 0; i < menu.ItemCount(); ++i) {
    const IMenuModel::Item& item = menu.ItemAt(i);
    Entry entry;
    entry.text = item.text;
    entry.flags = item.flags;
    entry.submenu = item.submenu != nullptr;
    entry.column = static_cast<int>(columnWidths.size()) - 1;
    const int rowHeight = item.flags & IMenuModel::kSeparator ? kSeparatorHeight : kRowHeight;
    entry.rect = PixelRect(0, y, 0, y + rowHeight);
    y += rowHeight;
    tallest = std::max(tallest, y);
    if (!(item.flags & IMenuModel::kSeparator)) {
      const int wanted = kCheckWidth + measure(item.text) + kTextPadRight;
      columnWidths.back() = std::max(columnWidths.back(), wanted);
    }
    entries.push_back(std::move(entry));
    // A break on the last item opens no empty column.
    if (item.flags & IMenuModel::kColumnBreak && i + 1 < menu.ItemCount()) {
      columnWidths.push_back(kMinColumnWidth);
      y = kBorder;
    }
  }
  // Second pass: columns side by side, a one-pixel rule between two.
  std::vector<int> lefts;
  int x = kBorder;
  for (int w : columnWidths) {
    lefts.push_back(x);
    x += w + 1;
  }
  for (Entry& entry : entries) {
    entry.rect.L = lefts[static_cast<std::size_t>(entry.column)];
    entry.rect.R = entry.rect.L + columnWidths[static_cast<std::size_t>(entry.column)];
  }
  columns = static_cast<int>(columnWidths.size());
  width = x - 1 + kBorder;
  height = std::max(tallest, kBorder + kRowHeight / 2) + kBorder;
}

bool PopupMenuLayout::Choosable(int index) const {
  if (index < 0 || index >= ItemCount()) return false;
  const Entry& entry = entries[static_cast<std::size_t>(index)];
  constexpr std::int32_t kNotChoosable =
      IMenuModel::kDisabled | IMenuModel::kTitle | IMenuModel::kSeparator;
  return !(entry.flags & kNotChoosable) && !entry.submenu;
}

int PopupMenuLayout::ItemAtPoint(int x, int y) const {
  for (int i = 0; i < ItemCount(); ++i)
    if (entries[static_cast<std::size_t>(i)].rect.Contains(x, y)) return i;
  return -1;
}

int PopupMenuLayout::ChoosableAtPoint(int x, int y) const {
  const int index = ItemAtPoint(x, y);
  return Choosable(index) ? index : -1;
}

int PopupMenuLayout::NextChoosable(int from, int step) const {
  const int count = ItemCount();
  if (count == 0) return -1;
  step = step < 0 ? -1 : 1;
  if (from < 0 || from >= count) from = step > 0 ? -1 : count;
  int index = from;
  for (int tried = 0; tried < count; ++tried) {
    index = ((index + step) % count + count) % count;
    if (Choosable(index)) return index;
  }
  return -1;
}

int PopupMenuLayout::ChoosableInNextColumn(int from, int step) const {
  if (from < 0 || from >= ItemCount()) return from;
  const Entry& current = entries[static_cast<std::size_t>(from)];
  const int middle = (current.rect.T + current.rect.B) / 2;
  for (int column = current.column + (step < 0 ? -1 : 1); column >= 0 && column < columns;
       column += step < 0 ? -1 : 1) {
    int best = -1, bestDistance = 0;
    for (int i = 0; i < ItemCount(); ++i) {
      const Entry& entry = entries[static_cast<std::size_t>(i)];
      if (entry.column != column || !Choosable(i)) continue;
      const int distance = std::abs((entry.rect.T + entry.rect.B) / 2 - middle);
      if (best < 0 || distance < bestDistance) best = i, bestDistance = distance;
    }
    if (best >= 0) return best;
  }
  return from;
}

PixelRect PopupMenuLayout::Place(int w, int h, int x, int y, const PixelRect& screen) {
  if (x + w > screen.R) x = screen.R - w;
  if (y + h > screen.B) y = y - h >= screen.T ? y - h : screen.B - h;
  x = std::max(x, static_cast<int>(screen.L));
  y = std::max(y, static_cast<int>(screen.T));
  return PixelRect(x, y, x + w, y + h);
}
