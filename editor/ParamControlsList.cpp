#include "editor/ParamControlsList.h"

#include "gui/IWidget.h"

void ParamControlsList::Record(IWidget* control) {
  const int index = control->ParamIndex();
  if (index < 1) return;
  if (static_cast<int>(byIndex.size()) <= index) byIndex.resize(index + 1);
  std::unique_ptr<ParamControls>& entry = byIndex[index];
  if (!entry) entry = std::make_unique<ParamControls>(ParamControls{index, {}});
  entry->controls.push_back(control);
}

const ParamControlsList::ParamControls* ParamControlsList::Find(int index) const {
  if (index < 0 || index >= static_cast<int>(byIndex.size())) return nullptr;
  return byIndex[index].get();
}
