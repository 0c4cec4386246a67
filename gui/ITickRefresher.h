// Brings an editor's controls up to date with what its plug-in changed since
// the last timer tick, on threads that must not touch the controls themselves.
// The canvas owns it and runs it on the GUI thread at the start of each tick,
// before the search for dirty controls; it copies values, texts and states
// into the controls there, and nowhere else.
#pragma once

class ITickRefresher {
 public:
  virtual ~ITickRefresher() = default;
  virtual void Refresh() = 0;
};
