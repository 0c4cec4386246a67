// A line of text in a style, drawn by the canvas at the top of the rectangle.
// Grayed out it draws in a dimmed colour. Owns its text, which only the GUI
// thread writes: the editor copies the effect's texts in on its timer, so no
// handler or audio code ever touches the string.
#pragma once

#include <string>

#include "gui/IWidget.h"

class ITextWidget : public IWidget {
 public:
  ITextWidget(IEffectForEditor* plug, const PixelRect& rect, const TextStyle& style,
              const char* text = "", int paramIndex = -1);

  bool Draw(ICanvas& graphics) override;
  void GrayOut(bool gray) override;
  // Redraws only when the text changes.
  void SetTextFromPlug(const char* text);

  const std::string& Text() const { return text; }
  const TextStyle& Style() const { return style; }
  const ArgbColor& DimmedColor() const { return dimmed; }

 protected:
  TextStyle style;
  ArgbColor normal;
  ArgbColor dimmed;
  std::string text;
};
