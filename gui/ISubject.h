// Something observers can watch: an optional list of observers and a changed
// flag. No observer is attached anywhere in this program, so Notify must stay
// a cheap test; it runs inside every dirty scan on the GUI thread.
#pragma once

#include <memory>
#include <vector>

class IObserver {
 public:
  virtual ~IObserver() = default;
  virtual void SubjectChanged() = 0;
};

class ISubject {
 public:
  ISubject() = default;
  ISubject(const ISubject&) = delete;
  ISubject& operator=(const ISubject&) = delete;
  virtual ~ISubject() = default;

  void Attach(IObserver* observer) {
    if (!observers) observers = std::make_unique<std::vector<IObserver*>>();
    observers->push_back(observer);
  }
  void SetChanged() { changed = true; }
  // Calls every observer once after a change; nothing without observers.
  void Notify() {
    if (!observers || !changed) return;
    changed = false;
    for (IObserver* observer : *observers) observer->SubjectChanged();
  }

 private:
  std::unique_ptr<std::vector<IObserver*>> observers;
  bool changed = false;
};
