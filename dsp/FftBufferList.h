// The owning list of analysed spectral frames of one channel. Frames are added
// while a clip is analysed and destroyed by Clear when another is loaded; the
// engine and the spectrograph read them by index. Single owner, no lock.
#pragma once

#include <cstdint>
#include <memory>

#include "dsp/SpectralFrame.h"
#include "dsp/VariableLengthArray.h"

class FftBufferList {
 public:
  FftBufferList();
  FftBufferList(const FftBufferList&) = delete;
  FftBufferList& operator=(const FftBufferList&) = delete;
  virtual ~FftBufferList();

  // Takes the frame; false (and the frame destroyed) when there is no room.
  bool Add(std::unique_ptr<SpectralFrame> frame);
  // Destroys every frame; the capacity stays.
  void Clear();
  int Count() const { return items.count; }
  int Capacity() const { return items.capacity; }
  SpectralFrame* At(int i) const { return items.data[i]; }

 private:
  // Grows to eight entries past what it must hold; new entries are null.
  VariableLengthArray<SpectralFrame*, 8> items;
};
