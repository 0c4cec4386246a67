// Counts the heap allocations this thread makes while a counter is alive. The
// binary that links AllocationCounter.cpp replaces the global operator new.
#pragma once

class AllocationCounter {
 public:
  AllocationCounter();
  ~AllocationCounter();
  int Count() const;
};
