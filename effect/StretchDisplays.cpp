#include "effect/StretchDisplays.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "effect/VolumeContour.h"
#include "platform/SafeConvert.h"
#include "platform/TextCopy.h"

StretchDisplays::StretchDisplays() { SetEnvelopePoints(VolumeContour::kInitialPoints); }

void StretchDisplays::SetText(Control control, const char* text) {
  ControlState& state = controls[control];
  if (std::strcmp(state.text, text) == 0) return;  // text controls redraw only on a change
  CopyText(state.text, text);
  MarkDirty(state.revision);
}

void StretchDisplays::SetValue(Control control, double value) {
  controls[control].value = value;
  MarkDirty(controls[control].revision);
}

void StretchDisplays::GrayOut(Control control, bool grayed) {
  controls[control].grayed = grayed;
  MarkDirty(controls[control].revision);
}

void StretchDisplays::Hide(Control control, bool hidden) {
  controls[control].hidden = hidden;
  MarkDirty(controls[control].revision);
}

void StretchDisplays::ShowFileName(const std::string& path, bool found) {
  const std::string mark = found ? "" : " (not found)";
  const std::size_t room = kPathShownChars - mark.size();
  const std::string shown = path.size() <= room ? path : "..." + path.substr(path.size() - room);
  SetText(kFileNameText, (shown + mark).c_str());
}

// The control keeps E2, E3, E1, E4; envelope order is E1 .. E4.
void StretchDisplays::EnvelopePoints(double (&points)[8]) const {
  const double* c = envelopeControl;
  const double ordered[8] = {c[4], c[5], c[0], c[1], c[2], c[3], c[6], c[7]};
  std::copy(ordered, ordered + 8, points);
}

void StretchDisplays::SetEnvelopePoints(const double (&points)[8]) {
  const double* p = points;
  const double control[8] = {p[2], p[3], p[4], p[5], p[0], p[1], p[6], p[7]};
  std::copy(control, control + 8, envelopeControl);
  MarkDirty(envelopeRevision);
}

void StretchDisplays::ChooseFile(const std::string& path) {
  chosenPath = path;
  fileChosen = true;
}

bool StretchDisplays::TakeChosenFile() {
  const bool chosen = fileChosen;
  fileChosen = false;
  return chosen;
}

int StretchDisplays::ColumnDisplay::FillOverview(const ExtensibleSampleBuffer<double>& samples,
                                                 int from, int available) {
  const std::int64_t length = samples.length;
  const double s = static_cast<double>(length) / kColumns;
  const int whole = TruncToInt32(s);
  const int extra = TruncToInt32((s - whole) * kColumns + 0.5);
  const int run = std::max(whole, 1);
  int column = std::max(from, 0);
  for (; column < kColumns; ++column) {
    // The first `extra` runs are one sample longer.
    const std::int64_t start = static_cast<std::int64_t>(column) * run + std::min(column, extra);
    const std::int64_t end = std::min(start + run + (column < extra ? 1 : 0), length);
    if (end > available) break;
    double largest = 0.0;
    for (std::int64_t p = start; p < end; ++p) {
      const double v = samples.At(static_cast<std::int32_t>(p));
      largest = p == start ? v : std::max(largest, v);
    }
    values[column] = largest;
  }
  return column;
}

void StretchDisplays::ColumnDisplay::FillCurve(const double* curve, int count) {
  if (count <= 0 || curve == nullptr) {
    std::fill(values, values + kColumns, 0.0);
  } else {
    const double step = static_cast<double>(kColumns) / count;
    int m = 0;
    for (int column = 0; column < kColumns; ++column) {
      double largest = 0.0;
      while (m < count && TruncToInt32(m * step) <= column) largest = std::max(largest, curve[m++]);
      values[column] = largest;
    }
  }
  MarkDirty(revision);
}

// Leases and detaching meet in sequentially consistent order: either the lease
// sees the frames detached, or the detach sees the lease and waits for it.
StretchDisplays::SpectrumLease::SpectrumLease(const StretchDisplays& owner) : displays(owner) {
  displays.spectrumLeases.fetch_add(1);
  frames = displays.spectrumFrames.load();
}

StretchDisplays::SpectrumLease::~SpectrumLease() { displays.spectrumLeases.fetch_sub(1); }

void StretchDisplays::AttachSpectrumFrames(const FftBufferList* frames) {
  spectrumFrames.store(frames);
  MarkDirty(spectrumRevision);
}

void StretchDisplays::DetachSpectrumFrames() {
  spectrumFrames.store(nullptr);
  MarkDirty(spectrumRevision);
  // A lease reads for one picture at most (milliseconds, once per file).
  while (spectrumLeases.load() > 0) std::this_thread::yield();
}
