// What a value-entry field edits, apart from the field itself: the control
// and parameter it was opened for, where the field lies, the parameter's text
// it last showed, and what typed text means for the parameter. Each window
// host keeps one beside its platform's field; GUI thread only.
#pragma once

#include <string>

#include "gui/GraphicsTypes.h"

class IEffectParam;
class IWidget;

class ParamEntry {
 public:
  // The field: 72 x 20 pixels, its anchor 18 pixels from its left and 8 from
  // its top, at the centre of the control's rectangle.
  static PixelRect FieldFor(const PixelRect& controlRect);

  // Starts editing; the parameter's display text, which the field shows first.
  std::string Begin(IWidget* control, IEffectParam* param);
  void End();
  // Whether the parameter picks among display texts (the field then selects).
  bool ChoosesText() const;
  // After a redraw: true, with the text, when the parameter's display text
  // moved since the field last took it; what is being typed stays otherwise.
  bool MovedText(std::string* text);
  // The typed text as the parameter's value, given to the control: a display
  // text's value (0 when none matches), else the decimal number.
  void Commit(const std::string& typed);

 private:
  IWidget* control = nullptr;
  IEffectParam* param = nullptr;
  std::string shown;
};
