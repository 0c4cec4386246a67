// The dragging side of XDND for tests: its own display connection and an
// unmapped window that owns XdndSelection, sending the messages a file
// manager sends to a target window and answering the target's request for the
// data. Single-threaded: the test calls the message functions and then pumps
// this connection and the target's alternately (PumpUntil), so no step can
// hang; every wait gives up after a timeout.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <string>
#include <vector>

class XdndSource {
 public:
  // How the data request is answered.
  enum class Answer { kData, kRefuse, kIncr, kNever };

  // Opens the default display; check Ready().
  XdndSource();
  ~XdndSource();
  XdndSource(const XdndSource&) = delete;
  XdndSource& operator=(const XdndSource&) = delete;

  bool Ready() const { return display != nullptr && window != None; }
  Window Id() const { return window; }

  // Types offered in XdndEnter; more than three go on XdndTypeList.
  void SetTypes(const std::vector<std::string>& types);
  // The text/uri-list payload: the URIs, each ended by CRLF.
  void SetUris(const std::vector<std::string>& uris);
  void SetPayload(const std::string& bytes) { payload = bytes; }
  void SetAnswer(Answer a) { answer = a; }

  // Protocol messages to the target; Enter picks it, Aim only picks it (for
  // messages out of order).
  void Aim(Window to) { target = to; }
  void Enter(Window target);
  void Position(int rootX, int rootY);
  void Leave();
  void Drop();
  // Closes the connection as a crashing source would: its window and its
  // ownership of the selection go away.
  void Vanish();

  // Handles whatever arrived on this connection.
  void Pump();
  // Pumps this connection and the target's (pumpTarget) until done() holds;
  // false after timeoutMs.
  bool PumpUntil(const std::function<bool()>& done, const std::function<void()>& pumpTarget,
                 int timeoutMs = 2000);
  // The whole drag: enter, position at (rootX, rootY), wait for the status,
  // drop when accepted (else leave), wait for XdndFinished. Whether the target
  // reported the drop accepted; false on refusal or timeout.
  bool Drag(Window target, int rootX, int rootY, const std::function<void()>& pumpTarget);

  // What the target told us.
  int Statuses() const { return statuses; }
  bool StatusAccepted() const { return statusAccepted; }
  Atom StatusAction() const { return statusAction; }
  bool Finished() const { return finished; }
  bool FinishedAccepted() const { return finishedAccepted; }
  Atom FinishedAction() const { return finishedAction; }
  int DataRequests() const { return dataRequests; }
  Atom Intern(const char* name) const;

 private:
  void Send(Atom type, long l1, long l2, long l3, long l4);
  void AnswerRequest(const XSelectionRequestEvent& request);

  Display* display = nullptr;
  Window window = None;
  Window target = None;
  Time time = CurrentTime;
  std::vector<std::string> types{"text/uri-list"};
  std::string payload;
  Answer answer = Answer::kData;
  int statuses = 0;
  bool statusAccepted = false;
  Atom statusAction = None;
  bool finished = false;
  bool finishedAccepted = false;
  Atom finishedAction = None;
  int dataRequests = 0;
};
