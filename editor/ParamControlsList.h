// Which of the editor's controls are bound to each parameter, in the order
// the builder made them. Filled while the editor is built (controls bound to
// parameter 0 or none are not recorded) and kept as long as the editor; it
// points at controls the canvas owns and owns only its lists.
#pragma once

#include <memory>
#include <vector>

class IWidget;

class ParamControlsList {
 public:
  // One parameter's controls.
  struct ParamControls {
    int index;
    std::vector<IWidget*> controls;
  };

  // Records the control under its parameter; a parameter's list is made on
  // its first control.
  void Record(IWidget* control);
  // The controls recorded for a parameter; none for an index never recorded.
  const ParamControls* Find(int index) const;

 private:
  std::vector<std::unique_ptr<ParamControls>> byIndex;
};
