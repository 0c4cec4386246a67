// Fixed blocks of 1024 samples and the first-in, first-out queue of free blocks
// that a sample buffer takes them from and gives them back to, so that reloading
// a clip reuses its memory. A pool belongs to one buffer; no lock.
#pragma once

#include <cstdint>
#include <new>

// Always on exactly one list: the ring of the buffer holding it, or a pool's queue.
// Slot k holds sample (block number x 1024 + k) of its buffer.
template <typename T>
struct SampleBlock {
  static constexpr int kSamples = 1024;
  SampleBlock* next = nullptr;
  SampleBlock* prev = nullptr;
  T samples[kSamples];
};

template <typename T>
class SampleBlockPool {
 public:
  using Block = SampleBlock<T>;

  SampleBlockPool() = default;
  SampleBlockPool(const SampleBlockPool&) = delete;
  SampleBlockPool& operator=(const SampleBlockPool&) = delete;
  // Frees the queued blocks; blocks that buffers hold are theirs.
  virtual ~SampleBlockPool() {
    while (first != nullptr) {
      Block* block = first;
      first = block->next;
      delete block;
    }
  }

  // The block given back longest ago, else a new one from the heap; null when
  // neither can be had. Links are cleared; the samples are the caller's to zero.
  Block* Acquire() {
    Block* block = first;
    if (block != nullptr) {
      first = block->next;
      if (first != nullptr)
        first->prev = nullptr;
      else
        last = nullptr;
      --freeCount;
    } else {
      block = new (std::nothrow) Block;
      if (block == nullptr) return nullptr;
      ++allocatedCount;
    }
    block->next = block->prev = nullptr;
    return block;
  }

  // Queues a block at the last end.
  void GiveBack(Block* block) {
    block->next = nullptr;
    block->prev = last;
    if (last != nullptr)
      last->next = block;
    else
      first = block;
    last = block;
    ++freeCount;
  }

  // The queue runs from first (given back longest ago) through next to last.
  Block* first = nullptr;
  Block* last = nullptr;
  std::int32_t freeCount = 0;       // blocks in the queue
  std::int32_t allocatedCount = 0;  // blocks ever taken from the heap
};
