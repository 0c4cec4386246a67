// The receiving side of XDND (version 5) for one window: it tells sources the
// window takes drops, answers their position messages, fetches the dropped
// text/uri-list and hands its items to the caller. The editor window owns one
// and routes every ClientMessage and SelectionNotify of its display connection
// through HandleEvent, on the GUI thread that owns that connection. It owns no
// X resources beyond a property on the window while a drop's data is on its
// way; destroy it before the window and the connection.
//
// Sources are foreign clients that may vanish at any moment, so everything sent
// to them or read from their windows goes under X11ErrorTrap. Data sent in
// INCR chunks (very large payloads) is refused: the source is told the drop
// was not accepted. A source that never answers our conversion request leaves
// the drop pending until the next XdndEnter starts over.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <string>
#include <vector>

class XdndTarget {
 public:
  static constexpr int kVersion = 5;

  XdndTarget(Display* display, Window window);
  // A drop still waiting for its data is answered as not accepted.
  ~XdndTarget();
  XdndTarget(const XdndTarget&) = delete;
  XdndTarget& operator=(const XdndTarget&) = delete;

  // Marks the window as taking drops (XdndAware).
  void Advertise();
  // Sources look for XdndAware on top-level windows only, and the editor's
  // window sits inside a host's. When that top-level takes no drops of its
  // own, it is marked too, with XdndProxy sending its messages here; the
  // marks go when this object does (if still ours). False when the top-level
  // already takes drops (they are the host's) or is gone.
  bool ProxyFrom(Window topLevel);

  // Handles the event when it is XDND's (returns true), else leaves it alone.
  // accepting is asked on each position and on the drop; drops are accepted
  // only when it says yes and the source offers text/uri-list. When a drop
  // completes with at least one item, *dropped becomes true and *droppedItems
  // holds them (see UriList::Parse: an empty string is an item that is not a
  // local file); otherwise *dropped is false and *droppedItems is untouched.
  // Either pointer may be null.
  bool HandleEvent(const XEvent& event, const std::function<bool()>& accepting,
                   std::vector<std::string>* droppedItems, bool* dropped);

  // Root coordinates of the pointer in the last position message.
  int LastRootX() const { return rootX; }
  int LastRootY() const { return rootY; }

 private:
  enum class State { kIdle, kOver, kFetching };

  bool HandleClientMessage(const XClientMessageEvent& message,
                           const std::function<bool()>& accepting);
  bool HandleSelection(const XSelectionEvent& selection, std::vector<std::string>* droppedItems,
                       bool* dropped);
  void Enter(const XClientMessageEvent& message);
  bool SourceOffersUriList(Window from, const XClientMessageEvent& message);
  // The whole payload of our data property, deleted afterwards; false when it
  // is missing, not 8-bit text, or announced as INCR.
  bool TakeProperty(std::string* payload);
  void SendStatus(Window to, bool accept);
  void SendFinished(Window to, bool accepted);
  void Send(Window to, Atom type, long l1, long l2, long l3, long l4);

  // Reads one 32-bit value of a property; false when it is not there.
  bool ReadLong(Window from, Atom property, Atom type, unsigned long* value);

  Display* display;
  Window window;
  Window proxiedTop = None;
  // The window the current source addresses: ours, or the proxied top-level.
  Window addressed = None;
  State state = State::kIdle;
  Window source = None;
  bool offersUriList = false;
  int rootX = 0, rootY = 0;

  Atom aware, enter, position, status, leave, drop, finished, typeList, selectionAtom, actionCopy,
      uriList, dataProperty, incr, proxy;
};
