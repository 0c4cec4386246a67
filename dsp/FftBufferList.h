// The owning list of analysed spectral frames of one channel. Frames are added
// while a clip is analysed (on the audio thread) and dropped by Clear when
// another is loaded; the engine and the spectrograph read them by index.
// Frames and their bins are carved out of blocks of whole pages, each holding
// kFramesPerBlock frames, which the list keeps from one clip to the next:
// Reserve takes what a clip needs from the system ahead of the analysis, so
// that the audio thread neither asks the system for memory nor meets a page
// that was never written. Single owner, no lock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dsp/SpectralFrame.h"
#include "dsp/VariableLengthArray.h"

class FftBufferList {
 public:
  static constexpr int kFramesPerBlock = 32;

  FftBufferList();
  FftBufferList(const FftBufferList&) = delete;
  FftBufferList& operator=(const FftBufferList&) = delete;
  virtual ~FftBufferList();

  // Blocks for `frames` frames of a transform of size transformSize, taken
  // and written once now; blocks beyond them are given back. For an empty
  // list. False when the memory cannot be had: Append then takes blocks as
  // it goes, and fails where the system has none.
  bool Reserve(int frames, int transformSize);
  // A new frame of a transform of size transformSize at the end of the list,
  // its bins zeroed; null (and the list as it was) when there is no memory or
  // the size is not positive.
  SpectralFrame* Append(int transformSize);
  // Drops every frame; the blocks and the capacity stay for the next clip.
  void Clear();
  // Drops every frame and gives every block back to the system.
  void Release();
  // Trades frames and blocks with other: a list reserved on one thread is
  // put in place on another in constant time.
  void Swap(FftBufferList& other);
  int Count() const { return items.count; }
  int Capacity() const { return items.capacity; }
  SpectralFrame* At(int i) const { return items.data[i]; }

 private:
  struct Block {
    unsigned char* memory;
    std::size_t bytes, used;
    std::size_t written;  // bytes an earlier clip's frames wrote; zero beyond
  };

  // Appends a block of bytes fresh from the system; false when there is none.
  bool AddBlock(std::size_t bytes);
  // Gives back blocks from the first'th on.
  void FreeBlocks(int first);

  // Grows to eight entries past what it must hold; new entries are null.
  VariableLengthArray<SpectralFrame*, 8> items;
  VariableLengthArray<Block, 8> blocks;
  std::int32_t filling = 0;  // the block Append carves from
};
