// A popup menu's items: text, flags, an optional submenu and a tag. Built by a
// control for its parameter menu and handed to the window host to show, on the
// GUI thread; the model owns its items and they own their submenus.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IMenuModel {
 public:
  enum Flags : std::int32_t {
    kDisabled = 1,
    kTitle = 2,
    kChecked = 4,
    kSeparator = 8,
    kColumnBreak = 16,
    kHighlighted = 32
  };

  struct Item {
    std::int32_t flags = 0;
    std::string text;
    std::unique_ptr<IMenuModel> submenu;
    std::int32_t tag = -1;
    std::int32_t count = 1;  // toward the menu's total: a submenu counts its own total
  };

  virtual ~IMenuModel() = default;
  // Inserts at index (-1 appends) and adds the item's count to the total.
  virtual Item* AddItem(std::unique_ptr<Item> item, int index = -1);
  virtual Item* AddText(const char* text, std::int32_t flags = 0);
  virtual Item* AddSubmenu(const char* text, std::unique_ptr<IMenuModel> submenu);
  virtual Item* AddSeparator();
  virtual Item* AddTitle(const char* text);

  int ItemCount() const { return static_cast<int>(items.size()); }
  const Item& ItemAt(int i) const { return *items[i]; }
  std::int32_t Total() const { return total; }

 private:
  std::int32_t total = 0;
  std::vector<std::unique_ptr<Item>> items;
};
