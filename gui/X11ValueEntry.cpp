#include "gui/X11ValueEntry.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::uint32_t kBackground = 0xFFFFFFFFu;
constexpr std::uint32_t kBorder = 0xFF505050u;
constexpr std::uint32_t kSelection = 0xFF3875D7u;
constexpr std::uint32_t kCaret = 0xFF000000u;
constexpr int kPad = 2;  // between the border and the text

constexpr long kEventMask = ExposureMask | KeyPressMask | ButtonPressMask | Button1MotionMask |
                            FocusChangeMask | StructureNotifyMask;

TextStyle FieldStyle(const ArgbColor& color) {
  TextStyle style;
  style.size = X11ValueEntry::kFontSize;
  style.color = color;
  style.align = TextStyle::kLeft;
  return style;
}

// The code point a key types, 0 for none: Latin-1 and Unicode key symbols map
// directly, anything else (keypad digits, say) through XLookupString's
// Latin-1 text.
char32_t TypedCodePoint(KeySym sym, const char* typed, int typedLength) {
  if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF))
    return static_cast<char32_t>(sym);
  if ((sym & 0xFF000000ul) == 0x01000000ul) return static_cast<char32_t>(sym & 0x00FFFFFFul);
  if (typedLength == 1) {
    const auto c = static_cast<unsigned char>(typed[0]);
    if ((c >= 0x20 && c < 0x7F) || c >= 0xA0) return c;
  }
  return 0;
}

}  // namespace

bool X11ValueEntry::Open(Display* d, Window editorWindow, const PixelRect& rect,
                         const std::string& initial) {
  Close();
  if (d == nullptr || editorWindow == None || rect.W() <= 2 * (1 + kPad) || rect.H() <= 4)
    return false;
  display = d;
  editor = editorWindow;
  width = rect.W();
  height = rect.H();
  {
    X11ErrorTrap trap(display);
    window = X11CreateRasterWindow(display, editor, rect.L, rect.T, width, height, kEventMask);
    if (window != None) gc = XCreateGC(display, window, 0, nullptr);
    // A bad editor window shows only once the server answered.
    if (trap.Sync() || window == None || gc == nullptr || !image.Create(display, width, height)) {
      Close();
      return false;
    }
  }
  pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kBackground);
  buffer.SetText(initial, true);
  MeasureText();
  scroll = 0;
  ScrollToCaret();
  Paint();
  X11ErrorTrap trap(display);
  XMapRaised(display, window);
  // Fails harmlessly (BadMatch, trapped) while the editor window is not viewable.
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  Present();
  return true;
}

void X11ValueEntry::Close() {
  if (window != None) {
    X11ErrorTrap trap(display);
    XDestroyWindow(display, window);
  }
  ReleaseWindow();
  state = kIdle;
}

void X11ValueEntry::ReleaseWindow() {
  if (gc != nullptr) {
    X11ErrorTrap trap(display);
    XFreeGC(display, gc);
  }
  gc = nullptr;
  image.Destroy();
  window = None;
}

bool X11ValueEntry::HandleEvent(const XEvent& event) {
  if (window == None) return false;
  if (event.type == KeyPress && event.xkey.window == editor) return HandleKey(event.xkey);
  if (event.xany.window != window) return false;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) Present();
      return true;
    case KeyPress:
      return HandleKey(event.xkey);
    case FocusIn:
    case FocusOut: {
      const XFocusChangeEvent& focus = event.xfocus;
      // Focus on an ancestor with the pointer in us, and the passing focus
      // changes of grabs, are not the field's focus.
      if (focus.detail == NotifyPointer || focus.mode == NotifyGrab || focus.mode == NotifyUngrab)
        return true;
      if (state == kIdle || state == kFocused) state = event.type == FocusIn ? kFocused : kIdle;
      return true;
    }
    case ButtonPress:
      if (event.xbutton.button == Button1) {
        X11ErrorTrap trap(display);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        PlaceCaretAt(event.xbutton.x, (event.xbutton.state & ShiftMask) != 0);
      }
      return true;
    case MotionNotify:
      PlaceCaretAt(event.xmotion.x, true);
      return true;
    case DestroyNotify:
      if (event.xdestroywindow.window == window) {
        ReleaseWindow();
        state = kIdle;
      }
      return true;
    default:
      return true;
  }
}

bool X11ValueEntry::HandleKey(const XKeyEvent& key) {
  XKeyEvent copy = key;
  char typed[16];
  KeySym sym = NoSymbol;
  const int typedLength = XLookupString(&copy, typed, sizeof typed, &sym, nullptr);
  const bool shift = (key.state & ShiftMask) != 0;
  switch (sym) {
    case XK_Return:
    case XK_KP_Enter:
    case XK_ISO_Enter:
      state = kCommit;
      return true;
    case XK_Escape:
      state = kCancel;
      return true;
    case XK_BackSpace:
      buffer.Backspace();
      break;
    case XK_Delete:
    case XK_KP_Delete:
      buffer.Delete();
      break;
    case XK_Left:
    case XK_KP_Left:
      buffer.MoveLeft(shift);
      break;
    case XK_Right:
    case XK_KP_Right:
      buffer.MoveRight(shift);
      break;
    case XK_Home:
    case XK_KP_Home:
      buffer.MoveHome(shift);
      break;
    case XK_End:
    case XK_KP_End:
      buffer.MoveEnd(shift);
      break;
    default: {
      if (key.state & (ControlMask | Mod1Mask)) {
        if (sym == XK_a || sym == XK_A) buffer.SelectAll();
        break;
      }
      const char32_t c = TypedCodePoint(sym, typed, typedLength);
      if (c == 0 || !buffer.InsertCodePoint(c)) return true;
      break;
    }
  }
  MeasureText();
  ScrollToCaret();
  Paint();
  Present();
  return true;
}

void X11ValueEntry::SetText(const std::string& newText, bool selectAll) {
  buffer.SetText(newText, selectAll);
  MeasureText();
  scroll = 0;
  ScrollToCaret();
  if (window == None) return;
  Paint();
  Present();
}

void X11ValueEntry::MeasureText() {
  const TextStyle style = FieldStyle(colors::kBlack);
  offsets.assign(static_cast<std::size_t>(buffer.Length()) + 1, 0);
  for (int i = 0; i < buffer.Length(); ++i)
    offsets[static_cast<std::size_t>(i) + 1] =
        offsets[static_cast<std::size_t>(i)] +
        text.MeasureWidth(style, buffer.Range(i, i + 1).c_str());
}

void X11ValueEntry::ScrollToCaret() {
  const int room = width - 2 * (1 + kPad);
  const int total = offsets.back();
  if (total <= room) {
    scroll = 0;
    return;
  }
  const int caretX = offsets[static_cast<std::size_t>(buffer.Caret())];
  if (caretX < scroll) scroll = caretX;
  if (caretX > scroll + room) scroll = caretX - room;
  scroll = std::clamp(scroll, 0, total - room);
}

int X11ValueEntry::TextLeft() const {
  const int room = width - 2 * (1 + kPad);
  const int total = offsets.back();
  return 1 + kPad + (total <= room ? (room - total) / 2 : -scroll);
}

void X11ValueEntry::PlaceCaretAt(int x, bool extend) {
  const int left = TextLeft();
  int best = 0;
  for (int i = 1; i <= buffer.Length(); ++i)
    if (std::abs(left + offsets[static_cast<std::size_t>(i)] - x) <
        std::abs(left + offsets[static_cast<std::size_t>(best)] - x))
      best = i;
  buffer.PlaceCaret(best, extend);
  ScrollToCaret();
  Paint();
  Present();
}

void X11ValueEntry::Paint() {
  if (pixels.empty()) return;
  std::fill(pixels.begin(), pixels.end(), kBackground);
  const auto fill = [this](int l, int t, int r, int b, std::uint32_t colour) {
    l = std::max(l, 0), t = std::max(t, 0), r = std::min(r, width), b = std::min(b, height);
    for (int y = t; y < b; ++y)
      std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width + l, std::max(0, r - l),
                  colour);
  };
  const int left = TextLeft();
  const auto at = [&](int i) { return left + offsets[static_cast<std::size_t>(i)]; };
  if (buffer.HasSelection())
    fill(std::max(at(buffer.SelectionStart()), 1), 2,
         std::min(at(buffer.SelectionEnd()), width - 1), height - 2, kSelection);

  // Glyph by glyph at the measured offsets, so caret, selection and clicks
  // agree with what is drawn; clipped to the inside of the border.
  const int lineHeight = kFontSize + kFontSize / 7;
  const int top = (height - lineHeight) / 2;
  std::uint32_t* inside = pixels.data() + width + 1;
  const TextStyle normal = FieldStyle(colors::kBlack);
  const TextStyle selected = FieldStyle(colors::kWhite);
  for (int i = 0; i < buffer.Length(); ++i) {
    if (at(i + 1) < 0 || at(i) >= width) continue;
    const bool isSelected = i >= buffer.SelectionStart() && i < buffer.SelectionEnd();
    const std::string glyph = buffer.Range(i, i + 1);
    text.Draw(inside, width - 2, height - 2, width, isSelected ? selected : normal, glyph.c_str(),
              PixelRect(at(i) - 1, top - 1, at(i + 1) - 1, top - 1 + lineHeight));
  }
  if (!buffer.HasSelection()) {
    const int x = std::clamp(at(buffer.Caret()), 1 + kPad / 2, width - 2 - kPad / 2);
    fill(x, 3, x + 1, height - 3, kCaret);
  }
  fill(0, 0, width, 1, kBorder);
  fill(0, height - 1, width, height, kBorder);
  fill(0, 0, 1, height, kBorder);
  fill(width - 1, 0, width, height, kBorder);
}

void X11ValueEntry::Present() {
  if (window == None) return;
  X11ErrorTrap trap(display);
  image.Put(window, gc, pixels.data(), width, PixelRect(0, 0, width, height));
}
