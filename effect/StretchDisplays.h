// What the effect shows in its editor, and the two things it reads back from it.
// The effect writes these under the plug-in lock (handlers, file loads, the
// analysis feeds) or on the audio thread (play cursor, rate meter, XY values,
// progress bar); the editor reads them on its own thread without a lock and
// redraws a part when its revision has moved, so a redraw may show a
// half-updated array for one frame. Everything is sized at construction: the
// audio thread never allocates here.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "audio/ExtensibleSampleBuffer.h"
#include "dsp/FftBufferList.h"

class StretchDisplays {
 public:
  // Controls whose look or value the effect drives.
  enum Control : int {
    kRateNominalReadout,
    kRateTransientReadout,
    kBlurNominalReadout,
    kBlurTransientReadout,
    kRateTransientFader,
    kBlurNominalFader,
    kBlurTransientFader,
    kBlurSameSwitch,
    kAuditionSwitch,
    kProgressBar,
    kRateMeter,
    kFileNameText,
    kControlCount
  };

  struct ControlState {
    bool grayed = false;
    bool hidden = false;
    double value = 0.0;  // normalised, for switches, the meter and the progress bar
    char text[72] = {};  // readouts and the file name
    std::atomic<std::uint32_t> revision{0};
  };

  // One value per pixel column, a play cursor and a region band.
  struct ColumnDisplay {
    static constexpr int kColumns = 500;  // the displays are 500 pixels wide
    double values[kColumns] = {};
    bool cursorVisible = false;
    std::int32_t cursorColumn = 0;
    std::int32_t bandStart = 0, bandEnd = 0;
    std::atomic<std::uint32_t> revision{0};

    // Each column the largest signed sample of its run of the buffer; runs
    // spread the remainder over the first columns, and columns past the end
    // read 0. Fills the columns from `from` on whose runs lie wholly below
    // sample `available` and answers the next column to fill; the revision is
    // left to the caller.
    int FillOverview(const ExtensibleSampleBuffer<double>& samples, int from, int available);
    // Each value lands in the column its index starts in; a column takes the
    // largest value landing there and 0 when none does.
    void FillCurve(const double* curve, int count);
  };

  static constexpr int kPathShownChars = 64;

  // The envelope starts in its initial shape.
  StretchDisplays();

  void SetText(Control control, const char* text);
  void SetValue(Control control, double value);
  void GrayOut(Control control, bool grayed);
  void Hide(Control control, bool hidden);
  // The whole path when it is short enough, else "..." and its tail. A file
  // that is not found is marked " (not found)"; its path gives up room for the
  // mark, so the text is no wider than a found file's.
  void ShowFileName(const std::string& path, bool found);

  const ControlState& State(Control control) const { return controls[control]; }

  ControlState controls[kControlCount];
  ColumnDisplay waveform;  // the clip's overview with cursor and region band
  ColumnDisplay contour;   // the transient curve as bars

  // The spectrograph's frame source and rate. The source is the first
  // channel's frame list while that holds a finished analysis, and null from
  // the moment a new analysis clears it until the analysis ends. The editor
  // reads the frames without the plug-in lock, inside a lease; detaching them
  // waits until a lease under way has ended, so they are never cleared or grown
  // while it reads them.
  class SpectrumLease {
   public:
    explicit SpectrumLease(const StretchDisplays& displays);
    ~SpectrumLease();
    SpectrumLease(const SpectrumLease&) = delete;
    SpectrumLease& operator=(const SpectrumLease&) = delete;
    // Null while the frames are detached.
    const FftBufferList* Frames() const { return frames; }

   private:
    const StretchDisplays& displays;
    const FftBufferList* frames;
  };
  // The effect, once an analysis has ended (any thread).
  void AttachSpectrumFrames(const FftBufferList* frames);
  // The effect, before the frames change; returns when no lease reads them.
  void DetachSpectrumFrames();
  double spectrumSampleRate = 44100.0;
  std::atomic<std::uint32_t> spectrumRevision{0};

  // XY pad: x follows the blur, y the rate.
  double xyX = 0.0, xyY = 0.0;
  std::atomic<std::uint32_t> xyRevision{0};

  // The envelope's four points in the control's order (E2, E3, E1, E4 as x, y
  // pairs), written under the plug-in lock when the user has moved them
  // (Stretch::EnvelopeEdited). A restored state sets them through
  // SetEnvelopePoints, which moves envelopeRevision so that the editor moves
  // its handles.
  double envelopeControl[8] = {};
  std::atomic<std::uint32_t> envelopeRevision{0};
  // The points in envelope order, left to right, as the contour takes them.
  void EnvelopePoints(double (&points)[8]) const;
  void SetEnvelopePoints(const double (&points)[8]);

  // The file selector's dialog. ChooseFile runs under the plug-in lock when
  // the user picks a file (Stretch::FilePicked), and the editor then changes
  // FileLoad; the FileLoad handler takes each pick once. Host automation and
  // program changes run that handler too, and find no pick to load.
  void ChooseFile(const std::string& path);
  // True once for each pick; chosenPath then names the file.
  bool TakeChosenFile();
  std::string chosenPath;

  static void MarkDirty(std::atomic<std::uint32_t>& revision) {
    revision.fetch_add(1, std::memory_order_release);
  }

 private:
  std::atomic<const FftBufferList*> spectrumFrames{nullptr};
  // Leases do not change what is shown: the editor takes them on its read-only view.
  mutable std::atomic<int> spectrumLeases{0};

 private:
  bool fileChosen = false;
};
