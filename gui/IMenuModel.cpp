#include "gui/IMenuModel.h"

IMenuModel::Item* IMenuModel::AddItem(std::unique_ptr<Item> item, int at) {
  if (!item) return nullptr;
  total += item->count;
  Item* added = item.get();
  if (at < 0 || at >= ItemCount())
    items.push_back(std::move(item));
  else
    items.insert(items.begin() + at, std::move(item));
  return added;
}

IMenuModel::Item* IMenuModel::AddText(const char* text, std::int32_t flags) {
  auto item = std::make_unique<Item>();
  item->text = text != nullptr ? text : "";
  item->flags = flags;
  return AddItem(std::move(item));
}

IMenuModel::Item* IMenuModel::AddSubmenu(const char* text, std::unique_ptr<IMenuModel> submenu) {
  auto item = std::make_unique<Item>();
  item->text = text != nullptr ? text : "";
  item->count = submenu ? submenu->Total() : 0;
  item->submenu = std::move(submenu);
  return AddItem(std::move(item));
}

IMenuModel::Item* IMenuModel::AddSeparator() { return AddText("", kSeparator); }

IMenuModel::Item* IMenuModel::AddTitle(const char* text) { return AddText(text, kTitle); }
