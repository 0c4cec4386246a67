// The product: an instrument that plays one loaded audio file time-stretched in
// step with the host's transport. Created by the entry point and driven by the
// host through the VST 2 binding; every operation runs under the plug-in lock,
// ProcessBlock on the audio thread, except the reading of files. It owns the
// two clips (the one playing and the spare a load fills), the engine, the
// volume contour and what its editor displays; the parameter handlers turn
// values into the engine's inputs. Its editor reads the displays and hands
// back through IStretchForEditor. A clip always plays at the host's rate:
// loads convert to it, and a change of rate converts the loaded clip again
// (inside the rate call, under the lock).
//
// Loads: a drop, a restored state or a pick in the dialog asks for a file
// under the lock; the file is then read into the spare clip outside it, by
// one thread at a time holding loadLock (taken before the plug-in lock, never
// while holding it), and the lock is taken again only to switch clips. The
// audio thread never touches the spare clip. Of loads asked for while one is
// read, only the last is carried out.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "audio/AudioFile.h"
#include "effect/IStretchForEditor.h"
#include "effect/StretchDisplays.h"
#include "effect/StretchEngine.h"
#include "effect/StretchParamSpecs.h"
#include "effect/VolumeContour.h"
#include "vst/IEffectVst.h"

class Stretch : public IEffectVst, public IStretchForEditor {
 public:
  explicit Stretch(audioMasterCallback host);

  void ResetState() override;
  void ParamChanged(int index) override;
  void ProcessBlock(double** inputs, double** outputs, int frames) override;
  void HandleMidi(const MidiMessage& message) override;
  bool SaveState(StateChunk& chunk) override;
  int LoadState(const StateChunk& chunk, int start) override;
  void FileDropped(const char* path) override;

  void FinishStateLoad() override;

  // Loads a file into the spare clip at the current sample rate and switches
  // to it only when that worked; a failed load changes nothing else. For a
  // caller that does not hold the plug-in lock; returns once the load (or one
  // asked for after it) is done.
  void LoadFile(const char* path);
  // True while the path is one a restored state named and that could not be
  // loaded: it is kept for the next save, shown as not found, and nothing plays.
  bool FileMissing() const { return fileMissing; }
  // Takes a positive, finite host rate in Hz; a loaded clip at another rate
  // is converted to it and analysed again (see FollowRate).
  void SetRate(double rate);

  const std::string& FilePath() const { return filePath; }
  int CurrentClip() const { return currentClip; }
  const AudioFile& Clip(int index) const { return clips[index]; }
  const StretchEngine& Engine() const { return engine; }
  const VolumeContour& Contour() const { return contour; }
  bool Auditioning() const { return auditioning; }
  double SampleRate() const { return sampleRate; }
  int TenthSecondFrames() const { return tenthSecondFrames; }
  StretchDisplays& Displays() { return displays; }

  // What the editor sees and hands back.
  const StretchDisplays& Displays() const override { return displays; }
  void EnvelopeEdited(const double* storedOrder) override;
  void FilePicked(const std::string& path) override;
  void RunPendingLoad() override;

  // Set while a state is being loaded, so that handlers running inside the load
  // do not act on the editor; the processing loop clears it.
  bool stateJustLoaded = false;

  // Change handlers, reached through the parameter table with the value in
  // real units.
  void OnFftSize(const StretchParamSpec& record, double v);
  void OnRateTran(const StretchParamSpec& record, double v);
  void OnRateNom(const StretchParamSpec& record, double v);
  void OnRateSame(const StretchParamSpec& record, double v);
  void OnRateXtrm(const StretchParamSpec& record, double v);
  void OnBlur(const StretchParamSpec& record, double v);
  void OnBlurSame(const StretchParamSpec& record, double v);
  void OnBlurPure(const StretchParamSpec& record, double v);
  void OnAlgo(const StretchParamSpec& record, double v);
  void OnDir(const StretchParamSpec& record, double v);
  void OnAudition(const StretchParamSpec& record, double v);
  void OnTrScale(const StretchParamSpec& record, double v);
  void OnPitch(const StretchParamSpec& record, double v);
  void OnWander(const StretchParamSpec& record, double v);
  void OnVolumeEnvelope(const StretchParamSpec& record, double v);
  void OnShowAll(const StretchParamSpec& record, double v);
  void OnVoiceEnable(const StretchParamSpec& record, double v);
  void OnVoicePitch(const StretchParamSpec& record, double v);
  void OnVoiceGain(const StretchParamSpec& record, double v);
  void OnRegStart(const StretchParamSpec& record, double v);
  void OnRegEnd(const StretchParamSpec& record, double v);
  void OnFileLoad(const StretchParamSpec& record, double v);

 private:
  struct LoadRequest {
    std::string path;
    bool restore = false;  // see RestoreFile
  };

  void InitParamsFromSpecs();
  // Fills the spare clip from the file at rate; false leaves it empty.
  bool LoadSpare(const std::string& path, double rate);
  // Under the plug-in lock: the file to load next, replacing any load asked
  // for before that has not started. A restore switches clips even when the
  // file cannot be read (see RestoreFile).
  void AskToLoad(const std::string& path, bool restore);
  // Without the plug-in lock: carries out the loads asked for, one after the
  // other, until none is left. With wait, a load under way on another thread
  // is waited for (and then what it left is done); without, this returns at
  // once while one is under way, as that thread takes over what was asked.
  void RunLoads(bool wait);
  // Under the plug-in lock, once a request's file was read (or failed to be):
  // switches to it unless a later request or a rate change makes it stale.
  void FinishLoad(const LoadRequest& request, bool loaded, double rate);
  // A path from a restored state: its file is loaded as LoadFile does; when
  // that fails the path is kept all the same and the clip emptied, since the
  // state no longer names the clip that was playing. An empty path keeps
  // whatever is loaded.
  void RestoreFile(const std::string& path);
  // The path kept for the state and the name shown.
  void NameFile(const std::string& path, bool loaded);
  // The spare clip becomes the one playing; the old one is emptied and the
  // analysis starts again, on frame lists the engine prepared when
  // framesPrepared (see StretchEngine::PrepareFrames).
  void SwitchToSpare(bool framesPrepared);
  // Brings the playing clip to the current rate when it is at another: read
  // again from its file, else converted from its own samples. When neither
  // works the old clip keeps playing. The path and the shown name stay. Under
  // the plug-in lock and loadLock; while another thread holds loadLock, that
  // thread follows the rate once its loads are done.
  void FollowRate();
  // FollowRate's work, for a holder of both locks.
  void FollowRateHeld();
  // The contour takes the points (envelope order, left to right).
  void ApplyEnvelope(const double (&points)[8]);
  // Points from a restored state: the editor's handles move to them too.
  void RestoreEnvelope(const double (&points)[8]);
  void UpdateRates();
  void UpdateBlur();
  void ResetToRest(int index);
  void StopAudition();
  // Plays the clip raw from the position; false once it ran past the end.
  bool PlayAudition(double* left, double* right, int n, int length);
  void RefreshDisplays(int n, int length);
  void FeedDisplays();
  void RunContourFeed();

  double sampleRate = 44100.0;
  int tenthSecondFrames = 32;
  int displayCountdown = 4410;
  // The waveform overview's columns filled from the clip under analysis.
  int overviewColumns = 0;

  AudioFile clips[2];
  int currentClip = 0;  // changed only with loadLock held as well

  std::mutex loadLock;
  LoadRequest askedLoad;   // under the plug-in lock
  // Written under the plug-in lock; a timer tick reads it without, to pass
  // by when nothing was asked.
  std::atomic<bool> loadAsked{false};
  std::string filePath;
  bool fileMissing = false;

  StretchEngine engine;
  VolumeContour contour;
  double envelope[8] = {};  // the contour's four points, left to right

  bool rateSame = false;
  bool extremeRange = false;
  bool blurSame = false;
  bool auditioning = false;
  double wanderAmount = 0.0;  // the Wander control's value; no playback step reads it

  const StretchParamSpec* handlers[kStretchParamCount] = {};
  StretchDisplays displays;
};
