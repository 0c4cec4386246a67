// Fixed blocks of 1024 samples and the first-in, first-out queue of free blocks
// that a sample buffer takes them from and gives them back to, so that reloading
// a clip reuses its memory. Blocks come one at a time from the heap, or many at
// once from a slab of whole pages (Reserve) when a buffer grows a long way, as
// a file is loaded: faulting memory in by the page costs more than reading the
// file. A pool belongs to one buffer, which gives every block back before the
// pool goes (its slabs go with it); no lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "platform/PageMemory.h"

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
  virtual ~SampleBlockPool() {
    while (first != nullptr) {
      Block* block = first;
      first = block->next;
      if (!InSlab(block)) delete block;
    }
    while (slabs != nullptr) {
      Slab* slab = slabs;
      slabs = slab->next;
      FreePages(slab, slab->bytes);
    }
  }

  // Queues count more blocks from one new slab, unless the queue holds that
  // many already. False when the slab cannot be had: Acquire then takes
  // blocks from the heap as before.
  bool Reserve(int count) {
    if (count <= freeCount) return true;
    const std::size_t blocks = static_cast<std::size_t>(count - freeCount);
    const std::size_t bytes = kFirstBlockOffset + blocks * sizeof(Block);
    void* memory = AllocatePages(bytes);
    if (memory == nullptr) return false;
    Slab* slab = new (memory) Slab;
    slab->next = slabs;
    slab->bytes = bytes;
    slabs = slab;
    auto* at = static_cast<unsigned char*>(memory) + kFirstBlockOffset;
    for (std::size_t k = 0; k < blocks; ++k) GiveBack(new (at + k * sizeof(Block)) Block);
    allocatedCount += static_cast<std::int32_t>(blocks);
    return true;
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
  void GiveBack(Block* block) { GiveBackRun(block, block, 1); }

  // Queues a run of count blocks linked through next from oldest to newest
  // (the newest's next may point anywhere) at the last end, in one step.
  void GiveBackRun(Block* oldest, Block* newest, int count) {
    newest->next = nullptr;
    oldest->prev = last;
    if (last != nullptr)
      last->next = oldest;
    else
      first = oldest;
    last = newest;
    freeCount += count;
  }

  // The queue runs from first (given back longest ago) through next to last.
  Block* first = nullptr;
  Block* last = nullptr;
  std::int32_t freeCount = 0;       // blocks in the queue
  std::int32_t allocatedCount = 0;  // blocks ever taken from the heap or a slab

 private:
  // Heads the pages of a slab; its blocks follow.
  struct Slab {
    Slab* next;
    std::size_t bytes;
  };
  static constexpr std::size_t kFirstBlockOffset = 64;
  static_assert(sizeof(Slab) <= kFirstBlockOffset, "slab head");

  bool InSlab(const Block* block) const {
    const auto* at = reinterpret_cast<const unsigned char*>(block);
    for (const Slab* slab = slabs; slab != nullptr; slab = slab->next) {
      const auto* start = reinterpret_cast<const unsigned char*>(slab);
      if (at >= start && at < start + slab->bytes) return true;
    }
    return false;
  }

  Slab* slabs = nullptr;
};
