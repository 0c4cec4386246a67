#include "tests/support/XdndSource.h"

#include <X11/Xatom.h>
#include <poll.h>

#include <chrono>

XdndSource::XdndSource() {
  display = XOpenDisplay(nullptr);
  if (display == nullptr) return;
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, CopyFromParent,
                         InputOnly, CopyFromParent, CWEventMask, &attributes);
  // A server timestamp for the selection and the messages: the time of a
  // property change on our own window.
  const Atom stamp = Intern("_XDND_SOURCE_TIME");
  XChangeProperty(display, window, stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XEvent event;
  XWindowEvent(display, window, PropertyChangeMask, &event);
  time = event.xproperty.time;
}

XdndSource::~XdndSource() { Vanish(); }

Atom XdndSource::Intern(const char* name) const { return XInternAtom(display, name, False); }

void XdndSource::SetTypes(const std::vector<std::string>& list) { types = list; }

void XdndSource::SetUris(const std::vector<std::string>& uris) {
  payload.clear();
  for (const std::string& uri : uris) payload += uri + "\r\n";
}

void XdndSource::Enter(Window to) {
  target = to;
  XSetSelectionOwner(display, Intern("XdndSelection"), window, time);
  std::vector<Atom> atoms;
  for (const std::string& type : types) atoms.push_back(Intern(type.c_str()));
  const bool many = atoms.size() > 3;
  if (many)
    XChangeProperty(display, window, Intern("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()),
                    static_cast<int>(atoms.size()));
  atoms.resize(3, None);
  Send(Intern("XdndEnter"), 5l << 24 | (many ? 1 : 0), static_cast<long>(atoms[0]),
       static_cast<long>(atoms[1]), static_cast<long>(atoms[2]));
}

void XdndSource::Position(int rootX, int rootY) {
  Send(Intern("XdndPosition"), 0, static_cast<long>(rootX) << 16 | rootY, static_cast<long>(time),
       static_cast<long>(Intern("XdndActionCopy")));
}

void XdndSource::Leave() { Send(Intern("XdndLeave"), 0, 0, 0, 0); }

void XdndSource::Drop() { Send(Intern("XdndDrop"), 0, static_cast<long>(time), 0, 0); }

void XdndSource::Vanish() {
  if (display == nullptr) return;
  XCloseDisplay(display);
  display = nullptr;
  window = None;
}

void XdndSource::Send(Atom type, long l1, long l2, long l3, long l4) {
  if (display == nullptr) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = target;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(window);
  event.xclient.data.l[1] = l1;
  event.xclient.data.l[2] = l2;
  event.xclient.data.l[3] = l3;
  event.xclient.data.l[4] = l4;
  // A target with XdndProxy gets its messages through the proxy window; they
  // still name the target.
  Window to = target;
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, target, Intern("XdndProxy"), 0, 1, False, XA_WINDOW, &actualType,
                         &format, &count, &after, &data) == Success &&
      data != nullptr && actualType == XA_WINDOW && format == 32 && count == 1)
    to = static_cast<Window>(*reinterpret_cast<const unsigned long*>(data));
  if (data != nullptr) XFree(data);
  XSendEvent(display, to, False, NoEventMask, &event);
  XFlush(display);
}

void XdndSource::Pump() {
  if (display == nullptr) return;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == SelectionRequest) {
      AnswerRequest(event.xselectionrequest);
    } else if (event.type == ClientMessage && event.xclient.format == 32) {
      const long* l = event.xclient.data.l;
      if (event.xclient.message_type == Intern("XdndStatus")) {
        ++statuses;
        statusAccepted = (l[1] & 1) != 0;
        statusAction = static_cast<Atom>(l[4]);
      } else if (event.xclient.message_type == Intern("XdndFinished")) {
        finished = true;
        finishedAccepted = (l[1] & 1) != 0;
        finishedAction = static_cast<Atom>(l[2]);
      }
    }
  }
}

void XdndSource::AnswerRequest(const XSelectionRequestEvent& request) {
  ++dataRequests;
  if (answer == Answer::kNever) return;
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;
  const Atom property = request.property != None ? request.property : request.target;
  if (request.target == Intern("text/uri-list") && answer == Answer::kData) {
    XChangeProperty(display, request.requestor, property, request.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(payload.data()),
                    static_cast<int>(payload.size()));
    reply.xselection.property = property;
  } else if (answer == Answer::kIncr) {
    const long size = static_cast<long>(payload.size());
    XChangeProperty(display, request.requestor, property, Intern("INCR"), 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&size), 1);
    reply.xselection.property = property;
  }
  XSendEvent(display, request.requestor, False, NoEventMask, &reply);
  XFlush(display);
}

bool XdndSource::PumpUntil(const std::function<bool()>& done,
                           const std::function<void()>& pumpTarget, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Pump();
    pumpTarget();
    if (done()) break;
    if (display != nullptr) {
      pollfd wait{ConnectionNumber(display), POLLIN, 0};
      poll(&wait, 1, 1);
    } else {
      poll(nullptr, 0, 1);
    }
  }
  return true;
}

bool XdndSource::Drag(Window to, int rootX, int rootY, const std::function<void()>& pumpTarget) {
  const int before = statuses;
  finished = false;
  Enter(to);
  Position(rootX, rootY);
  if (!PumpUntil([&] { return statuses > before; }, pumpTarget)) return false;
  if (!statusAccepted) {
    Leave();
    return false;
  }
  Drop();
  return PumpUntil([&] { return finished; }, pumpTarget) && finishedAccepted;
}
