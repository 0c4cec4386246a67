// One channel of samples in blocks of 1024 that never move: growing only adds
// blocks (and reallocates the small index of block pointers), and sample i is
// slot i & 1023 of block i >> 10. Blocks come from and go back to the buffer's
// own pool. Filled by file reading, read by the engine and the displays under
// the plug-in lock; one user at a time, no lock of its own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

#include "audio/SampleBlockPool.h"

template <typename T>
class ExtensibleSampleBuffer {
 public:
  using Block = SampleBlock<T>;
  static constexpr int kBlockShift = 10;
  static constexpr int kBlockMask = Block::kSamples - 1;
  // The largest capacity that is a whole number of blocks and fits an int32.
  static constexpr std::int32_t kMaxCapacity = INT32_MAX / Block::kSamples * Block::kSamples;
  // Growth by this many blocks (2 MiB of doubles) or more takes them from a slab.
  static constexpr int kSlabBlocks = 256;

  // Holds one zeroed block afterwards unless memory ran out; then capacity is 0
  // and the first Append reports it. Without a pool blocks come straight from
  // the heap and go straight back.
  ExtensibleSampleBuffer() : pool(new (std::nothrow) SampleBlockPool<T>), ownsPool(true) {
    ReserveIndex(16);
    EnsureCapacity(1);
  }
  ExtensibleSampleBuffer(const ExtensibleSampleBuffer&) = delete;
  ExtensibleSampleBuffer& operator=(const ExtensibleSampleBuffer&) = delete;
  virtual ~ExtensibleSampleBuffer() {
    Clear();
    delete[] blockIndex.items;
    if (ownsPool) delete pool;
  }

  // Adds zeroed blocks until n samples fit. False when a block or a larger
  // index cannot be had, or n exceeds kMaxCapacity (then nothing is taken):
  // growth stops there and capacity tells what there is.
  bool EnsureCapacity(int n) {
    if (n > kMaxCapacity) return false;
    // A long way to grow takes its blocks from one slab; the index grows once.
    const int missing = (n - capacity + Block::kSamples - 1) / Block::kSamples;
    if (missing >= kSlabBlocks && pool != nullptr) {
      if (!ReserveIndex(blockIndex.count + missing)) return false;
      pool->Reserve(missing);
    }
    while (capacity < n) {
      if (!ReserveIndex(blockIndex.count + 1)) return false;
      Block* block = pool != nullptr ? pool->Acquire() : new (std::nothrow) Block;
      if (block == nullptr) return false;
      for (T& sample : block->samples) sample = T();
      LinkAtTail(block);
      blockIndex.items[blockIndex.count++] = block;
      capacity += Block::kSamples;
      capacityDouble = capacity;
    }
    return true;
  }

  // Appends count samples. When the room for all of them cannot be had,
  // nothing is appended (length stays, false is returned); blocks gained on the
  // way stay held, zeroed, for the next attempt.
  bool Append(int count, const T* samples) {
    if (count <= 0) return true;
    if (samples == nullptr) return false;
    if (count > INT32_MAX - length || !EnsureCapacity(length + count)) return false;
    for (int k = 0; k < count;) {
      const int at = length + k;
      const int run = std::min(count - k, Block::kSamples - (at & kBlockMask));
      std::copy(samples + k, samples + k + run, &At(at));
      k += run;
    }
    length += count;
    lengthDouble = length;
    return true;
  }

  // No boundary test: readers keep 0 <= i < length, writers 0 <= i < capacity.
  T& At(int i) { return blockIndex.items[i >> kBlockShift]->samples[i & kBlockMask]; }
  const T& At(int i) const { return blockIndex.items[i >> kBlockShift]->samples[i & kBlockMask]; }

  // Gives every block back to the pool, oldest first, in one step; holds no
  // block after.
  void Clear() {
    // The ring and the index hold the same blocks in the same order.
    if (ring.head != nullptr && pool != nullptr)
      pool->GiveBackRun(ring.head, ring.tail, blockIndex.count);
    else
      for (std::int32_t k = 0; k < blockIndex.count; ++k) delete blockIndex.items[k];
    ring.head = ring.tail = nullptr;
    for (std::int32_t k = 0; k < blockIndex.count; ++k) blockIndex.items[k] = nullptr;
    blockIndex.count = 0;
    capacity = length = 0;
    capacityDouble = lengthDouble = 0.0;
  }

  // For inspection: the blocks held in acquisition order, the room in the
  // index, and the pool (null when it could not be created).
  int BlockCount() const { return blockIndex.count; }
  const Block* BlockAt(int k) const { return blockIndex.items[k]; }
  int IndexCapacity() const { return blockIndex.capacity; }
  const SampleBlockPool<T>* Pool() const { return pool; }
  bool OwnsPool() const { return ownsPool; }

  // Sample slots held (always 1024 x BlockCount()) and samples stored; each
  // kept as an integer and as a double, changed together. Read-only for users.
  std::int32_t capacity = 0;
  double capacityDouble = 0.0;
  std::int32_t length = 0;
  double lengthDouble = 0.0;

 private:
  // Room for n block pointers, grown to n + 8 entries.
  bool ReserveIndex(int n) {
    if (blockIndex.capacity >= n) return true;
    auto** grown = new (std::nothrow) Block*[static_cast<std::size_t>(n) + 8]();
    if (grown == nullptr) return false;
    for (std::int32_t k = 0; k < blockIndex.count; ++k) grown[k] = blockIndex.items[k];
    delete[] blockIndex.items;
    blockIndex.items = grown;
    blockIndex.capacity = n + 8;
    return true;
  }

  void LinkAtTail(Block* block) {
    if (ring.head == nullptr) {
      block->next = block->prev = block;
      ring.head = ring.tail = block;
      return;
    }
    block->prev = ring.tail;
    block->next = ring.head;
    ring.tail->next = block;
    ring.head->prev = block;
    ring.tail = block;
  }

  SampleBlockPool<T>* pool;
  bool ownsPool;
  // The blocks held, circular, head the oldest.
  struct {
    Block* head = nullptr;
    Block* tail = nullptr;
  } ring;
  // Entry k holds samples k * 1024 ... k * 1024 + 1023.
  struct {
    Block** items = nullptr;
    std::int32_t capacity = 0;
    std::int32_t count = 0;
  } blockIndex;
};
