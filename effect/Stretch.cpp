#include "effect/Stretch.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "effect/StretchStateTrailer.h"
#include "platform/SafeConvert.h"

namespace {

using D = StretchDisplays;

// Analysis takes at most this share of a processing call's block duration
// (beyond its two hops a channel), leaving the rest of the host's deadline
// to the host and to other plug-ins.
constexpr double kAnalysisShareOfBlock = 0.2;

void FormatValue(char (&text)[32], const char* format, double value) {
  std::snprintf(text, sizeof text, format, value);
}

}  // namespace

Stretch::Stretch(audioMasterCallback host)
    : IEffectVst(host, kStretchDeclaredParams, "1-1 2-2", 6, "Dilatorix", "", "Brightloom",
                 0x00010000, FourCharCode('Z', 'q', 'm', 'w'), FourCharCode('K', 'p', 'y', 'h'), 0,
                 false, true, true) {
  while (ParamCount() < kStretchParamCount) AppendParam();
  engine.Configure();
  engine.onAnalysisFinished = [this] { FeedDisplays(); };
  InitParamsFromSpecs();
  ApplyEnvelope(VolumeContour::kInitialPoints);
  displays.Hide(D::kProgressBar, true);
  SetRate(44100.0);
}

void Stretch::InitParamsFromSpecs() {
  for (const StretchParamSpec& record : StretchParamSpecs) {
    IEffectParam& param = *Param(record.index);
    switch (record.kind) {
      case StretchParamSpec::kDouble:
        param.InitDouble(record.name, record.defaultValue, record.min, record.max, record.step, "");
        break;
      case StretchParamSpec::kInt:
        param.InitInt(record.name, static_cast<int>(record.defaultValue),
                      static_cast<int>(record.min), static_cast<int>(record.max), "");
        break;
      case StretchParamSpec::kEnum:
        param.InitEnum(record.name, record.initialChoice, record.choiceCount);
        for (int i = 0; i < record.choiceCount; ++i) param.SetDisplayText(i, record.choiceTexts[i]);
        break;
      case StretchParamSpec::kBool:
        param.InitBool(record.name, record.initialChoice != 0);
        break;
    }
    handlers[record.index] = &record;
  }
}

void Stretch::ResetState() {
  EffectLock guard(Lock());
  if (SampleRateValue() != sampleRate) SetRate(SampleRateValue());
}

void Stretch::SetRate(double rate) {
  if (!(rate > 0.0) || !std::isfinite(rate)) return;
  sampleRate = rate;
  engine.sampleRate = rate;
  tenthSecondFrames = TruncToInt32(rate * 0.1);
  displays.spectrumSampleRate = rate;
  D::MarkDirty(displays.spectrumRevision);
  FollowRate();
}

void Stretch::FollowRate() {
  EffectLock guard(Lock());
  std::unique_lock<std::mutex> loading(loadLock, std::try_to_lock);
  if (!loading.owns_lock()) return;  // the loading thread follows the rate when it is done
  FollowRateHeld();
}

void Stretch::FollowRateHeld() {
  const AudioFile& clip = clips[currentClip];
  if (clip.length < 1.0 || clip.sampleRate == sampleRate) return;
  AudioFile& spare = clips[(currentClip + 1) % 2];
  if (!LoadSpare(filePath, sampleRate) && !spare.ConvertFrom(clip, sampleRate)) return;
  SwitchToSpare(false);
}

void Stretch::ParamChanged(int index) {
  EffectLock guard(Lock());
  if (index < 0 || index >= kStretchParamCount) return;
  const StretchParamSpec* record = handlers[index];
  if (record == nullptr || record->changeHandler == nullptr) return;
  (this->*(record->changeHandler))(*record, Param(index)->Value());
}

void Stretch::HandleMidi(const MidiMessage& message) {
  const int kind = message.status >> 4;
  // Notes and controllers are taken and have no effect; everything else goes
  // back to the host.
  if (kind == 8 || kind == 9 || kind == 11) return;
  SendMidi(message);
}

void Stretch::FileDropped(const char* path) { LoadFile(path); }

bool Stretch::SaveState(StateChunk& chunk) {
  EffectLock guard(Lock());
  const bool values = SerializeParams(chunk, true);
  const bool path = chunk.AppendText(filePath) > 0;
  StretchStateTrailer trailer;
  std::copy(envelope, envelope + 8, trailer.envelope);
  trailer.clipStatus = filePath.empty() ? StretchStateTrailer::kNoFile
                       : fileMissing    ? StretchStateTrailer::kFileNotLoaded
                                        : StretchStateTrailer::kFileLoaded;
  return trailer.Append(chunk) && path && values;
}

int Stretch::LoadState(const StateChunk& chunk, int start) {
  EffectLock guard(Lock());
  stateJustLoaded = true;
  const int position = UnserializeParams(chunk, start, true);
  std::string path;
  int result = -1;
  if (position >= 0 && chunk.Size() - position >= 4) result = chunk.ReadText(position, &path);
  // The stored text may carry a terminator; the path ends at the first zero.
  path.resize(std::strlen(path.c_str()));
  // A state without a trailer has the initial envelope.
  StretchStateTrailer trailer;
  if (result >= 0) trailer.Read(chunk, result);
  RestoreEnvelope(trailer.envelope);
  RestoreFile(path);
  return result;
}

void Stretch::LoadFile(const char* path) {
  if (path == nullptr || path[0] == '\0') return;
  {
    EffectLock guard(Lock());
    AskToLoad(path, false);
  }
  RunLoads(true);
}

void Stretch::FinishStateLoad() { RunLoads(true); }

void Stretch::RunPendingLoad() {
  if (loadAsked) RunLoads(false);
}

void Stretch::RestoreFile(const std::string& path) {
  if (!path.empty()) AskToLoad(path, true);
}

void Stretch::AskToLoad(const std::string& path, bool restore) {
  askedLoad.path = path;
  askedLoad.restore = restore;
  loadAsked = true;
}

void Stretch::RunLoads(bool wait) {
  std::unique_lock<std::mutex> loading(loadLock, std::defer_lock);
  if (wait)
    loading.lock();
  else if (!loading.try_lock())
    return;
  // Only a holder of loadLock switches clips, so the spare stays the spare
  // while it is read without the plug-in lock.
  while (true) {
    LoadRequest request;
    double rate = 0.0;
    {
      EffectLock guard(Lock());
      if (!loadAsked) {
        // A rate change while the loads ran left the clip to this thread.
        FollowRateHeld();
        break;
      }
      request = askedLoad;
      loadAsked = false;
      rate = sampleRate;
    }
    const bool loaded = LoadSpare(request.path, rate);
    const AudioFile& read = clips[(currentClip + 1) % 2];
    engine.PrepareFrames(&read, TruncToInt32(read.length));
    FinishLoad(request, loaded, rate);
  }
  // The old clip's frames, or those reserved for a load a later one replaced.
  engine.ReleasePreparedFrames();
}

void Stretch::FinishLoad(const LoadRequest& request, bool loaded, double rate) {
  EffectLock guard(Lock());
  AudioFile& spare = clips[(currentClip + 1) % 2];
  if (loadAsked) {
    spare.Clear();  // asked for later: that one is carried out instead
    return;
  }
  if (loaded && rate != sampleRate) {
    spare.Clear();  // the rate changed while the file was read: again
    AskToLoad(request.path, request.restore);
    return;
  }
  // A restored state no longer names the clip that was playing: when its file
  // cannot be read the empty spare silences it. A failed drop or pick changes
  // nothing.
  if (!loaded && !request.restore) return;
  SwitchToSpare(true);
  NameFile(request.path, loaded);
}

void Stretch::NameFile(const std::string& path, bool loaded) {
  filePath = path;
  fileMissing = !loaded;
  displays.ShowFileName(filePath, loaded);
}

bool Stretch::LoadSpare(const std::string& path, double rate) {
  AudioFile& spare = clips[(currentClip + 1) % 2];
  if (!path.empty() && spare.Load(path, rate)) return true;
  spare.Clear();
  return false;
}

void Stretch::SwitchToSpare(bool framesPrepared) {
  clips[currentClip].Clear();
  currentClip = (currentClip + 1) % 2;
  const AudioFile& clip = clips[currentClip];
  // The spectrograph lets go of the frames before the analysis clears them;
  // FeedDisplays hands them back once they are complete.
  displays.DetachSpectrumFrames();
  if (framesPrepared)
    engine.ResetAnalysisPrepared(&clip, TruncToInt32(clip.length));
  else
    engine.ResetAnalysis(&clip, TruncToInt32(clip.length));
  overviewColumns = 0;
  engine.ClearOutputHops();
  // An empty clip has nothing to analyse: the displays follow it at once.
  if (engine.clipLength < 1) engine.FinishAnalysis();
}

// --- The processing loop ---------------------------------------------------

void Stretch::ProcessBlock(double** /*inputs*/, double** outputs, int frames) {
  const auto started = std::chrono::steady_clock::now();
  const bool playing = IsHostPlaying();
  stateJustLoaded = false;
  const int n = std::max(frames, 0);
  double* left = outputs[0];
  double* right = outputs[1];
  std::fill(left, left + n, 0.0);
  std::fill(right, right + n, 0.0);

  const AudioFile& clip = clips[currentClip];
  const int length = TruncToInt32(clip.length);
  if (length < 1) {
    if (auditioning) StopAudition();
  } else if (engine.analysisPending) {
    displays.Hide(D::kProgressBar, false);
    const int total = engine.clipLength;
    displays.SetValue(D::kProgressBar,
                      total > 0 ? static_cast<double>(engine.analysisProgress) / total : 0.0);
    if (IsHostRenderingOffline()) {
      // Without a deadline the whole analysis runs now: an export made right
      // after loading starts with the clip instead of silence.
      while (engine.analysisProgress < engine.clipLength) engine.AnalyseStep();
      engine.FinishAnalysis();
    } else if (engine.analysisProgress < engine.clipLength) {
      // The call takes a share of the block's duration, whatever the host's
      // block size, and the overview follows the samples analysed so far.
      const std::chrono::duration<double> budget(kAnalysisShareOfBlock * n / sampleRate);
      engine.AnalyseStep(started +
                         std::chrono::duration_cast<std::chrono::steady_clock::duration>(budget));
      overviewColumns =
          displays.waveform.FillOverview(clip.left, overviewColumns, engine.analysisProgress);
    } else {
      engine.FinishAnalysis();
    }
  } else {
    displays.Hide(D::kProgressBar, true);
    if (auditioning) {
      if (!PlayAudition(left, right, n, length)) StopAudition();
    } else if (playing) {
      if (engine.algorithm == 0) engine.PullOutput(left, right, n);
      if (clip.channels == 1) std::copy(left, left + n, right);
      const int frameCount = engine.frames[0].Count();
      const double f = frameCount > 0 ? engine.playPosition / frameCount : 0.0;
      const double gain = contour.GainAt(f);
      for (int i = 0; i < n; ++i) {
        left[i] *= gain;
        right[i] *= gain;
      }
    }
  }
  RefreshDisplays(n, length);
}

bool Stretch::PlayAudition(double* left, double* right, int n, int length) {
  const AudioFile& clip = clips[currentClip];
  bool running = true;
  auto play = [&](const ExtensibleSampleBuffer<double>& source, double* out) {
    if (source.length <= 0) return;
    // The shorter of clip and channel bounds the reads.
    const int end = std::min(length, source.length);
    int p = TruncToInt32(engine.playPosition);
    for (int i = 0; i < n; ++i) {
      if (p >= 0 && p < end) {
        out[i] = source.At(p++);
      } else {
        out[i] = 0.0;
        running = false;
      }
    }
  };
  play(clip.left, left);
  play(clip.right, right);
  engine.playPosition += n;
  if (engine.playPosition >= length) engine.playPosition -= length;
  return running;
}

void Stretch::StopAudition() {
  auditioning = false;
  engine.playPosition = 0.0;
  ResetToRest(kAudition);
  displays.SetValue(D::kAuditionSwitch, Param(kAudition)->GetNormalized());
}

void Stretch::RefreshDisplays(int n, int length) {
  displayCountdown -= n;
  if (displayCountdown > 0) return;
  displayCountdown = tenthSecondFrames;

  const int frameCount = engine.frames[0].Count();
  double cursor;
  if (auditioning)
    cursor = length >= 1 ? engine.playPosition / length : 0.0;
  else
    cursor = frameCount > 0 ? engine.playPosition / frameCount : 0.0;
  StretchDisplays::ColumnDisplay& waveform = displays.waveform;
  waveform.cursorVisible = true;
  waveform.cursorColumn = TruncToInt32(StretchDisplays::ColumnDisplay::kColumns * cursor);
  D::MarkDirty(waveform.revision);

  const double r = std::log10(1.0 / engine.currentRate) / (extremeRange ? 9.0 : 3.0);
  displays.SetValue(D::kRateMeter, r);
  displays.xyY = 1.0 - r;
  D::MarkDirty(displays.xyRevision);
  const double blurMs = engine.blurCurrentMs;
  displays.xyX = blurMs > 10.0 ? (blurMs - 10.0) * (1.0 / 990.0) : 0.0;
  D::MarkDirty(displays.xyRevision);
}

// Runs when an analysis finishes: the contour, the overview and the
// spectrograph's source follow the new clip.
void Stretch::FeedDisplays() {
  RunContourFeed();
  const ExtensibleSampleBuffer<double>& left = clips[currentClip].left;
  overviewColumns = displays.waveform.FillOverview(left, overviewColumns, left.length);
  D::MarkDirty(displays.waveform.revision);
  displays.AttachSpectrumFrames(&engine.frames[0]);
}

void Stretch::RunContourFeed() {
  displays.contour.FillCurve(engine.transientCurve.data, engine.transientCurve.count);
}

// --- Parameter handlers ----------------------------------------------------

void Stretch::UpdateRates() {
  const double k = extremeRange ? 9.0 : 3.0;
  const double rateNom = Param(kRateNom)->Value();
  engine.nominalRate = 1.0 / std::pow(10.0, k * rateNom);
  if (!(rateNom > 0.0)) engine.playPosition = std::trunc(engine.playPosition);
  engine.transientRate =
      rateSame ? engine.nominalRate : 1.0 / std::pow(10.0, k * Param(kRateTran)->Value());
  char text[32];
  FormatValue(text, "%.2lf x", 1.0 / engine.nominalRate);
  displays.SetText(D::kRateNominalReadout, text);
  if (rateSame)
    displays.SetText(D::kRateTransientReadout, "---");
  else {
    FormatValue(text, "%.2lf x", 1.0 / engine.transientRate);
    displays.SetText(D::kRateTransientReadout, text);
  }
}

void Stretch::UpdateBlur() {
  const double blurNom = Param(kBlurNom)->Value();
  engine.blurNominalMs = blurNom;
  engine.blurTransientMs = blurSame ? blurNom : Param(kBlurTran)->Value();
  char text[32];
  FormatValue(text, "%.1lf ms", blurNom);
  displays.SetText(D::kBlurNominalReadout, text);
  if (blurSame) {
    displays.SetText(D::kBlurTransientReadout, "---");
  } else {
    FormatValue(text, "%.1lf ms", engine.blurTransientMs);
    displays.SetText(D::kBlurTransientReadout, text);
  }
  const bool pure = engine.blurPure;
  displays.GrayOut(D::kBlurNominalFader, pure);
  displays.GrayOut(D::kBlurNominalReadout, pure);
  displays.GrayOut(D::kBlurTransientFader, pure || blurSame);
  displays.GrayOut(D::kBlurTransientReadout, pure || blurSame);
  displays.GrayOut(D::kBlurSameSwitch, pure);
}

// Back to the value a momentary control rests at: min when that is above 0,
// else 0 when the range holds it, else max. The host is not told.
void Stretch::ResetToRest(int index) {
  IEffectParam& param = *Param(index);
  if (param.Min() > 0.0)
    param.SetValue(param.Min());
  else if (param.Max() >= 0.0)
    param.SetValue(0.0);
  else
    param.SetValue(param.Max());
}

void Stretch::OnFftSize(const StretchParamSpec&, double) { engine.Reconfigure(); }

void Stretch::OnRateTran(const StretchParamSpec&, double) { UpdateRates(); }

void Stretch::OnRateNom(const StretchParamSpec&, double) {
  UpdateRates();
  engine.currentRate = engine.nominalRate;
}

void Stretch::OnRateSame(const StretchParamSpec&, double v) {
  rateSame = v > 0.5;
  displays.GrayOut(D::kRateTransientFader, rateSame);
  UpdateRates();
}

void Stretch::OnRateXtrm(const StretchParamSpec&, double v) {
  extremeRange = v > 0.5;
  UpdateRates();
}

void Stretch::OnBlur(const StretchParamSpec&, double) { UpdateBlur(); }

void Stretch::OnBlurSame(const StretchParamSpec&, double v) {
  blurSame = v > 0.5;
  UpdateBlur();
}

void Stretch::OnBlurPure(const StretchParamSpec&, double v) {
  engine.blurPure = v > 0.5;
  UpdateBlur();
}

void Stretch::OnAlgo(const StretchParamSpec&, double v) {
  engine.algorithm = TruncToInt32(v);
  engine.playPosition = 0.0;
  // Reconfiguring also zeroes both phase accumulators before playback
  // restarts from the first frame.
  engine.Reconfigure();
}

void Stretch::OnDir(const StretchParamSpec&, double v) { engine.direction = TruncToInt32(v); }

void Stretch::OnAudition(const StretchParamSpec&, double v) {
  const bool on = v > 0.5;
  if (on == auditioning) return;
  if (on) {
    auditioning = true;
    engine.playPosition = 0.0;
  } else {
    StopAudition();
  }
}

void Stretch::OnTrScale(const StretchParamSpec&, double v) {
  engine.transientShape = v > 0.5 ? -((v - 0.5) * 14.0 + 1.0) : (0.5 - v) * 14.0 + 1.0;
  engine.RebuildTransientCurve();
  RunContourFeed();
}

void Stretch::OnPitch(const StretchParamSpec&, double v) {
  engine.pitchRatio = v;
  for (HarmonicVoice& voice : engine.voices) voice.summedRatio = voice.ratio + v;
}

void Stretch::OnWander(const StretchParamSpec&, double v) { wanderAmount = v; }

void Stretch::OnVolumeEnvelope(const StretchParamSpec&, double) {
  double points[8];
  displays.EnvelopePoints(points);
  ApplyEnvelope(points);
}

void Stretch::ApplyEnvelope(const double (&points)[8]) {
  std::copy(points, points + 8, envelope);
  contour.Build(envelope);
}

void Stretch::RestoreEnvelope(const double (&points)[8]) {
  displays.SetEnvelopePoints(points);
  ApplyEnvelope(points);
}

void Stretch::EnvelopeEdited(const double* storedOrder) {
  EffectLock guard(Lock());
  std::copy(storedOrder, storedOrder + 8, displays.envelopeControl);
}

void Stretch::FilePicked(const std::string& path) {
  EffectLock guard(Lock());
  displays.ChooseFile(path);
}

void Stretch::OnShowAll(const StretchParamSpec&, double v) {
  const bool show = v > 0.5;
  for (D::Control readout : {D::kRateNominalReadout, D::kRateTransientReadout,
                             D::kBlurNominalReadout, D::kBlurTransientReadout})
    displays.Hide(readout, !show);
}

void Stretch::OnVoiceEnable(const StretchParamSpec& record, double v) {
  engine.voices[record.index - kHEnab1].enabled = v > 0.5;
}

void Stretch::OnVoicePitch(const StretchParamSpec& record, double v) {
  engine.voices[record.index - kHPitch1].ratio = v;
  for (HarmonicVoice& voice : engine.voices) voice.summedRatio = voice.ratio + engine.pitchRatio;
}

void Stretch::OnVoiceGain(const StretchParamSpec& record, double v) {
  engine.voices[record.index - kHGain1].gain = v;
}

void Stretch::OnRegStart(const StretchParamSpec&, double v) {
  engine.SetRegion(v, engine.regionEndFraction);
  displays.waveform.bandStart = TruncToInt32(StretchDisplays::ColumnDisplay::kColumns * v + 0.5);
  D::MarkDirty(displays.waveform.revision);
}

void Stretch::OnRegEnd(const StretchParamSpec&, double v) {
  engine.SetRegion(engine.regionStartFraction, v);
  displays.waveform.bandEnd = TruncToInt32(StretchDisplays::ColumnDisplay::kColumns * v + 0.5);
  D::MarkDirty(displays.waveform.revision);
}

void Stretch::OnFileLoad(const StretchParamSpec&, double) {
  ResetToRest(kFileLoad);
  // Only a file the user has just picked in the dialog loads: host
  // automation, program changes and state loads run this handler too.
  // The handler runs under the lock: the file is read at the editor's next
  // timer tick (RunPendingLoad), outside it.
  if (displays.TakeChosenFile() && !stateJustLoaded && !displays.chosenPath.empty())
    AskToLoad(displays.chosenPath, false);
}
