#include "dsp/FftBufferList.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "platform/PageMemory.h"

namespace {

using Bin = SpectralFrame::Bin;

constexpr std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

// A frame's place in a block: the frame, then its bins, padded so that the
// next frame is aligned.
constexpr std::size_t kHeadBytes = RoundUp(sizeof(SpectralFrame), alignof(Bin));

std::size_t SlotBytes(int transformSize) {
  return RoundUp(kHeadBytes + sizeof(Bin) * SpectralFrame::BinCount(transformSize),
                 alignof(SpectralFrame));
}

}  // namespace

FftBufferList::FftBufferList() { items.Resize(16); }

FftBufferList::~FftBufferList() { FreeBlocks(0); }

bool FftBufferList::Reserve(int frames, int transformSize) {
  if (transformSize <= 0 || items.count > 0) return false;
  const std::size_t bytes = SlotBytes(transformSize) * kFramesPerBlock;
  const int needed = (frames + kFramesPerBlock - 1) / kFramesPerBlock;
  // Blocks of another size go back, and so do those the clip does not need.
  int keep = 0;
  while (keep < blocks.count && keep < needed && blocks.data[keep].bytes == bytes) ++keep;
  FreeBlocks(keep);
  if (!items.Resize(frames)) return false;
  if (blocks.count >= needed) return true;
  // The missing blocks in one piece of the system's memory (large pages where
  // it has them), each written once: the first write to a page is what costs
  // (a fault, and in a virtual machine a trap to the host as well), here and
  // not in the analysis.
  const int missing = needed - blocks.count;
  if (!blocks.Resize(needed)) return false;
  std::vector<void*> ranges(static_cast<std::size_t>(missing));
  if (!AllocatePageRanges(bytes, missing, ranges.data())) return false;
  for (void* range : ranges) {
    std::memset(range, 0, bytes);
    blocks.data[blocks.count++] = {static_cast<unsigned char*>(range), bytes, 0, 0};
  }
  return true;
}

SpectralFrame* FftBufferList::Append(int transformSize) {
  if (transformSize <= 0 || !items.Resize(items.count + 1)) return nullptr;
  const std::size_t slot = SlotBytes(transformSize);
  while (filling < blocks.count && blocks.data[filling].bytes - blocks.data[filling].used < slot)
    if (++filling < blocks.count) blocks.data[filling].used = 0;
  if (filling == blocks.count && !AddBlock(slot * kFramesPerBlock)) return nullptr;
  Block& block = blocks.data[filling];
  unsigned char* place = block.memory + block.used;
  block.used += slot;
  auto* bins = reinterpret_cast<Bin*>(place + kHeadBytes);
  // Fresh pages are zero already.
  if (place < block.memory + block.written)
    std::memset(static_cast<void*>(bins), 0, slot - kHeadBytes);
  SpectralFrame* frame = new (place) SpectralFrame(bins, transformSize);
  items.data[items.count++] = frame;
  return frame;
}

void FftBufferList::Clear() {
  for (std::int32_t i = 0; i < blocks.count && i <= filling; ++i)
    if (blocks.data[i].used > blocks.data[i].written) blocks.data[i].written = blocks.data[i].used;
  for (std::int32_t i = 0; i < items.count; ++i) items.data[i] = nullptr;
  items.count = 0;
  filling = 0;
  if (blocks.count > 0) blocks.data[0].used = 0;
}

void FftBufferList::Release() {
  Clear();
  FreeBlocks(0);
}

void FftBufferList::Swap(FftBufferList& other) {
  items.Swap(other.items);
  blocks.Swap(other.blocks);
  std::swap(filling, other.filling);
}

bool FftBufferList::AddBlock(std::size_t bytes) {
  if (!blocks.Resize(blocks.count + 1)) return false;
  auto* memory = static_cast<unsigned char*>(AllocatePages(bytes));
  if (memory == nullptr) return false;
  blocks.data[blocks.count++] = {memory, bytes, 0, 0};
  return true;
}

void FftBufferList::FreeBlocks(int first) {
  for (std::int32_t i = first; i < blocks.count; ++i)
    FreePages(blocks.data[i].memory, blocks.data[i].bytes);
  blocks.count = first < blocks.count ? first : blocks.count;
  if (filling > blocks.count) filling = blocks.count;
}
