// The text of a one-line entry field and what editing does to it: a caret, a
// selection anchored at one end, typing that replaces the selection, deletion
// and caret moves. Positions count code points, not bytes, so the caret never
// lands inside a UTF-8 sequence. No drawing and no window: the field that owns
// it translates keys and clicks into these calls on its GUI thread.
#pragma once

#include <string>

class TextEditBuffer {
 public:
  static constexpr int kDefaultMaxLength = 1000;

  explicit TextEditBuffer(int maxLength = kDefaultMaxLength);

  // Replaces the text (malformed UTF-8 becomes U+FFFD; past the limit it is
  // cut); the caret goes to the end, with everything selected on request.
  void SetText(const std::string& utf8, bool selectAll);
  std::string Text() const { return Range(0, Length()); }
  // UTF-8 of the code points [from, to), clamped to the text.
  std::string Range(int from, int to) const;
  int Length() const { return static_cast<int>(text.size()); }
  int MaxLength() const { return maxLength; }

  int Caret() const { return caret; }
  int Anchor() const { return anchor; }
  bool HasSelection() const { return caret != anchor; }
  int SelectionStart() const { return caret < anchor ? caret : anchor; }
  int SelectionEnd() const { return caret < anchor ? anchor : caret; }

  // Replaces the selection with the typed UTF-8 text, or inserts it at the
  // caret. Control characters are dropped and what would pass the limit is
  // left out. Whether the text changed.
  bool Insert(const std::string& utf8);
  bool InsertCodePoint(char32_t c) { return InsertCodePoints(std::u32string(1, c)); }
  // Deletes the selection, else the code point before (Backspace) or after
  // (Delete) the caret. Whether the text changed.
  bool Backspace();
  bool Delete();

  // Caret moves; extend keeps the anchor (a shift-move), otherwise the
  // selection collapses. Left and Right without extend collapse a selection to
  // its start or end rather than moving past it.
  void MoveLeft(bool extend);
  void MoveRight(bool extend);
  void MoveHome(bool extend);
  void MoveEnd(bool extend);
  void SelectAll();
  // Puts the caret at a position (clamped to the text).
  void PlaceCaret(int position, bool extend);

 private:
  bool InsertCodePoints(std::u32string typed);
  bool DeleteSelection();

  std::u32string text;
  int caret = 0;
  int anchor = 0;
  int maxLength;
};
