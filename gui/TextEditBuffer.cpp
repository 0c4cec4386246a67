#include "gui/TextEditBuffer.h"

#include <algorithm>

namespace {

std::u32string DecodeUtf8(const std::string& utf8) {
  std::u32string out;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = p + utf8.size();
  while (p < end) {
    const unsigned char c = *p++;
    if (c < 0x80) {
      out += c;
      continue;
    }
    const int extra = c >= 0xF5 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : -1;
    if (extra < 0) {
      out += U'\uFFFD';
      continue;
    }
    char32_t code = c & (0x3F >> extra);
    int taken = 0;
    while (taken < extra && p < end && (*p & 0xC0) == 0x80) {
      code = code << 6 | (*p++ & 0x3F);
      ++taken;
    }
    // Short sequences, surrogates and overlong three- and four-byte forms.
    const bool valid = taken == extra && !(code >= 0xD800 && code <= 0xDFFF) &&
                       !(extra == 2 && code < 0x800) && !(extra == 3 && code < 0x10000) &&
                       code <= 0x10FFFF;
    out += valid ? code : U'\uFFFD';
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

}  // namespace

TextEditBuffer::TextEditBuffer(int limit) : maxLength(std::max(0, limit)) {}

void TextEditBuffer::SetText(const std::string& utf8, bool selectAll) {
  text = DecodeUtf8(utf8);
  // A field is one line: a pasted line break or tab shows as a space.
  for (char32_t& c : text)
    if (IsControl(c)) c = U' ';
  if (Length() > maxLength) text.resize(static_cast<std::size_t>(maxLength));
  caret = Length();
  anchor = selectAll ? 0 : caret;
}

std::string TextEditBuffer::Range(int from, int to) const {
  from = std::clamp(from, 0, Length());
  to = std::clamp(to, from, Length());
  std::string out;
  for (int i = from; i < to; ++i) AppendUtf8(out, text[static_cast<std::size_t>(i)]);
  return out;
}

bool TextEditBuffer::DeleteSelection() {
  if (!HasSelection()) return false;
  const int start = SelectionStart();
  text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(SelectionEnd() - start));
  caret = anchor = start;
  return true;
}

bool TextEditBuffer::Insert(const std::string& utf8) { return InsertCodePoints(DecodeUtf8(utf8)); }

bool TextEditBuffer::InsertCodePoints(std::u32string typed) {
  typed.erase(std::remove_if(typed.begin(), typed.end(), IsControl), typed.end());
  if (typed.empty()) return false;
  bool changed = DeleteSelection();
  const int room = maxLength - Length();
  if (room <= 0) return changed;
  if (static_cast<int>(typed.size()) > room) typed.resize(static_cast<std::size_t>(room));
  text.insert(static_cast<std::size_t>(caret), typed);
  caret += static_cast<int>(typed.size());
  anchor = caret;
  return true;
}

bool TextEditBuffer::Backspace() {
  if (DeleteSelection()) return true;
  if (caret == 0) return false;
  text.erase(static_cast<std::size_t>(--caret), 1);
  anchor = caret;
  return true;
}

bool TextEditBuffer::Delete() {
  if (DeleteSelection()) return true;
  if (caret == Length()) return false;
  text.erase(static_cast<std::size_t>(caret), 1);
  return true;
}

void TextEditBuffer::MoveLeft(bool extend) {
  if (!extend && HasSelection())
    PlaceCaret(SelectionStart(), false);
  else
    PlaceCaret(caret - 1, extend);
}

void TextEditBuffer::MoveRight(bool extend) {
  if (!extend && HasSelection())
    PlaceCaret(SelectionEnd(), false);
  else
    PlaceCaret(caret + 1, extend);
}

void TextEditBuffer::MoveHome(bool extend) { PlaceCaret(0, extend); }

void TextEditBuffer::MoveEnd(bool extend) { PlaceCaret(Length(), extend); }

void TextEditBuffer::SelectAll() {
  anchor = 0;
  caret = Length();
}

void TextEditBuffer::PlaceCaret(int position, bool extend) {
  caret = std::clamp(position, 0, Length());
  if (!extend) anchor = caret;
}
