#include "gui/XdndTarget.h"

#include <X11/Xatom.h>

#include "gui/UriList.h"
#include "gui/X11Support.h"

namespace {

// Sources older than version 3 put XdndAware elsewhere and send no
// timestamps; nothing current speaks them.
constexpr int kOldestVersion = 3;
// Property reads in pieces of this many 32-bit units (256 KiB).
constexpr long kReadLength = 65536;

}  // namespace

XdndTarget::XdndTarget(Display* d, Window w) : display(d), window(w) {
  const char* names[] = {"XdndAware",     "XdndEnter",      "XdndPosition",  "XdndStatus",
                         "XdndLeave",     "XdndDrop",       "XdndFinished",  "XdndTypeList",
                         "XdndSelection", "XdndActionCopy", "text/uri-list", "_DILATORIX_DROP",
                         "INCR",          "XdndProxy"};
  Atom atoms[14] = {};
  XInternAtoms(display, const_cast<char**>(names), 14, False, atoms);
  aware = atoms[0];
  enter = atoms[1];
  position = atoms[2];
  status = atoms[3];
  leave = atoms[4];
  drop = atoms[5];
  finished = atoms[6];
  typeList = atoms[7];
  selectionAtom = atoms[8];
  actionCopy = atoms[9];
  uriList = atoms[10];
  dataProperty = atoms[11];
  incr = atoms[12];
  proxy = atoms[13];
  addressed = window;
}

XdndTarget::~XdndTarget() {
  if (state == State::kFetching) SendFinished(source, false);
  if (proxiedTop == None) return;
  X11ErrorTrap trap(display);
  unsigned long pointsTo = 0;
  if (ReadLong(proxiedTop, proxy, XA_WINDOW, &pointsTo) && pointsTo == window) {
    XDeleteProperty(display, proxiedTop, proxy);
    XDeleteProperty(display, proxiedTop, aware);
  }
}

bool XdndTarget::ReadLong(Window from, Atom property, Atom type, unsigned long* value) {
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool found = XGetWindowProperty(display, from, property, 0, 1, False, type, &actualType,
                                        &format, &count, &after, &data) == Success &&
                     data != nullptr && actualType == type && format == 32 && count == 1;
  if (found) *value = *reinterpret_cast<const unsigned long*>(data);
  if (data != nullptr) XFree(data);
  return found;
}

bool XdndTarget::ProxyFrom(Window topLevel) {
  if (topLevel == None || topLevel == window || proxiedTop != None) return false;
  X11ErrorTrap trap(display);
  unsigned long version = 0;
  if (ReadLong(topLevel, aware, XA_ATOM, &version) || trap.Sync()) return false;
  const unsigned long self = window;
  const long ours = kVersion;
  // The proxy names itself too, so sources can tell a stale proxy.
  XChangeProperty(display, window, proxy, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&self), 1);
  XChangeProperty(display, topLevel, proxy, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&self), 1);
  XChangeProperty(display, topLevel, aware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&ours), 1);
  if (trap.Sync()) return false;
  proxiedTop = topLevel;
  return true;
}

void XdndTarget::Advertise() {
  const long version = kVersion;
  X11ErrorTrap trap(display);
  XChangeProperty(display, window, aware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
}

bool XdndTarget::HandleEvent(const XEvent& event, const std::function<bool()>& accepting,
                             std::vector<std::string>* droppedItems, bool* dropped) {
  if (dropped != nullptr) *dropped = false;
  if (event.type == ClientMessage) return HandleClientMessage(event.xclient, accepting);
  if (event.type == SelectionNotify)
    return HandleSelection(event.xselection, droppedItems, dropped);
  return false;
}

bool XdndTarget::HandleClientMessage(const XClientMessageEvent& message,
                                     const std::function<bool()>& accepting) {
  const Atom type = message.message_type;
  const bool ours =
      message.window == window || (proxiedTop != None && message.window == proxiedTop);
  if (!ours || message.format != 32 ||
      (type != enter && type != position && type != leave && type != drop))
    return false;
  const Window from = static_cast<Window>(message.data.l[0]);
  const bool current = state != State::kIdle && from == source;

  if (type == enter) {
    Enter(message);
  } else if (type == position) {
    rootX = static_cast<int>((message.data.l[2] >> 16) & 0xFFFF);
    rootY = static_cast<int>(message.data.l[2] & 0xFFFF);
    // A source we know nothing of is refused rather than left waiting.
    const bool accept =
        current && state == State::kOver && offersUriList && accepting && accepting();
    SendStatus(from, accept);
  } else if (type == leave) {
    if (current) state = State::kIdle;
  } else {  // drop
    if (current && state == State::kOver && offersUriList && accepting && accepting()) {
      const Time time = static_cast<Time>(message.data.l[2]);
      X11ErrorTrap trap(display);
      XConvertSelection(display, selectionAtom, uriList, dataProperty, window, time);
      state = State::kFetching;
    } else {
      SendFinished(from, false);
      if (current) state = State::kIdle;
    }
  }
  return true;
}

void XdndTarget::Enter(const XClientMessageEvent& message) {
  // A new drag replaces whatever came before; a source whose data never came
  // is told its drop was not taken.
  if (state == State::kFetching) SendFinished(source, false);
  state = State::kIdle;
  const int version = static_cast<int>((message.data.l[1] >> 24) & 0xFF);
  if (version < kOldestVersion || version > kVersion) return;
  source = static_cast<Window>(message.data.l[0]);
  addressed = message.window;
  offersUriList = SourceOffersUriList(source, message);
  state = State::kOver;
}

bool XdndTarget::SourceOffersUriList(Window from, const XClientMessageEvent& message) {
  if ((message.data.l[1] & 1) == 0) {
    for (int i = 2; i < 5; ++i)
      if (static_cast<Atom>(message.data.l[i]) == uriList) return true;
    return false;
  }
  // More than three types: the full list is on the source's window.
  X11ErrorTrap trap(display);
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int result = XGetWindowProperty(display, from, typeList, 0, kReadLength, False, XA_ATOM,
                                        &actualType, &format, &count, &after, &data);
  bool found = false;
  if (result == Success && data != nullptr && actualType == XA_ATOM && format == 32) {
    const auto* types = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long i = 0; i < count && !found; ++i) found = types[i] == uriList;
  }
  if (data != nullptr) XFree(data);
  return found;
}

bool XdndTarget::HandleSelection(const XSelectionEvent& selection,
                                 std::vector<std::string>* droppedItems, bool* dropped) {
  if (selection.requestor != window || selection.selection != selectionAtom) return false;
  if (state != State::kFetching) {
    // A late answer to a drop given up on: only tidy up.
    if (selection.property != None) {
      X11ErrorTrap trap(display);
      XDeleteProperty(display, window, selection.property);
    }
    return true;
  }
  state = State::kIdle;
  std::string payload;
  std::vector<std::string> items;
  if (selection.property == dataProperty && selection.target == uriList && TakeProperty(&payload))
    items = UriList::Parse(payload);
  SendFinished(source, !items.empty());
  if (!items.empty()) {
    if (droppedItems != nullptr) *droppedItems = std::move(items);
    if (dropped != nullptr) *dropped = true;
  }
  return true;
}

bool XdndTarget::TakeProperty(std::string* payload) {
  X11ErrorTrap trap(display);
  bool complete = false;
  for (long offset = 0;;) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int result =
        XGetWindowProperty(display, window, dataProperty, offset, kReadLength, False,
                           AnyPropertyType, &actualType, &format, &count, &after, &data);
    const bool text = result == Success && data != nullptr && format == 8 && actualType != incr;
    if (text) payload->append(reinterpret_cast<const char*>(data), count);
    if (data != nullptr) XFree(data);
    if (!text) break;
    if (after == 0) {
      complete = true;
      break;
    }
    // Every piece but the last is exactly kReadLength units long.
    offset += kReadLength;
  }
  XDeleteProperty(display, window, dataProperty);
  return complete && !trap.Sync();
}

void XdndTarget::SendStatus(Window to, bool accept) {
  // Bit 1 and an empty rectangle: positions keep coming wherever the pointer is.
  Send(to, status, (accept ? 1 : 0) | 2, 0, 0, accept ? static_cast<long>(actionCopy) : None);
}

void XdndTarget::SendFinished(Window to, bool accepted) {
  Send(to, finished, accepted ? 1 : 0, accepted ? static_cast<long>(actionCopy) : None, 0, 0);
}

void XdndTarget::Send(Window to, Atom type, long l1, long l2, long l3, long l4) {
  if (to == None) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.display = display;
  event.xclient.window = to;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(addressed);
  event.xclient.data.l[1] = l1;
  event.xclient.data.l[2] = l2;
  event.xclient.data.l[3] = l3;
  event.xclient.data.l[4] = l4;
  X11ErrorTrap trap(display);
  XSendEvent(display, to, False, NoEventMask, &event);
}
