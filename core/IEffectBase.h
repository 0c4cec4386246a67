// The host-independent core of the plug-in. It owns the parameters, the program
// slots, the declared channel configurations and per-channel buffers, the sample
// rate, block size and latency, the attached editor, and the one re-entrant lock
// that serialises everything the host and the editor do. The host binding derives
// from it and provides the host-facing operations; the product overrides the
// processing and state hooks; the attached editor reaches it only through
// IEffectForEditor. Operations that change state take the lock themselves, so
// they may be called from any host thread or the editor thread; the attach and
// process steps expect the caller to hold it already.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/IEffectEditor.h"
#include "core/IEffectForEditor.h"
#include "core/IEffectParam.h"
#include "core/IEffectPreset.h"
#include "core/MidiMessage.h"
#include "core/StateChunk.h"
#include "core/TransportState.h"

using EffectLock = std::lock_guard<std::recursive_mutex>;

class IEffectBase : public IEffectForEditor {
 public:
  struct IOConfig {
    std::int32_t inputs;
    std::int32_t outputs;
  };

  // Larger requests are refused: nothing a host plays needs more, and scratch
  // buffers of that size would only exhaust memory.
  static constexpr int kMaxBlockFrames = 1 << 20;

  IEffectBase(int paramCount, const char* channelConfigs, int presetCount, const char* effectName,
              const char* productName, const char* vendorName, std::int32_t version,
              std::int32_t uniqueId, std::int32_t vendorId, int latency, bool doesChunks,
              bool isInstrument);
  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // The virtual operations, in slot order.
  ~IEffectBase() override;
  virtual void ResetState();
  virtual void ParamChanged(int index);
  virtual void ProcessBlock(double** inputs, double** outputs, int frames);
  virtual void EditorOpened() {}
  virtual void EditorClosed() {}
  virtual void IdleHook() {}
  virtual void Activate(bool on);
  virtual void HandleMidi(const MidiMessage& message);
  virtual bool MidiNoteLabel(int note, char* text);
  virtual bool SaveState(StateChunk& chunk);
  virtual int LoadState(const StateChunk& chunk, int start);
  // Runs after a state the host handed over was loaded, on that thread and
  // outside the plug-in lock: for work too long to do under it (reading the
  // file a state names) without the audio thread waiting.
  virtual void FinishStateLoad() {}
  virtual void SaveValueList(StateChunk& chunk, const void* values);
  void BeginParamEdit(int index) override = 0;
  virtual void AutomateParam(int index, double normalized) = 0;
  void EndParamEdit(int index) override = 0;
  virtual int HostSamplePos() = 0;
  virtual double HostTempo() = 0;
  virtual void HostTimeSig(int* numerator, int* denominator) = 0;
  virtual void HostTransport(TransportState* state) = 0;
  virtual int GetHostKind();
  void EditorSizeChanged() override = 0;
  virtual void SecondIdleHook() {}
  void FileDropped(const char* path) override;
  void SecondFileDropped(const char* path) override;
  virtual void HostSpecificSetup() = 0;
  virtual void AttachEditor(std::unique_ptr<IEffectEditor> editor);
  virtual void SetBlockFrames(int frames);
  virtual void SetLatencySamples(int samples);
  virtual bool SendMidi(const MidiMessage& message) = 0;
  virtual bool SendMidiList(const std::vector<MidiMessage>& messages) = 0;

  std::recursive_mutex& Lock() const { return lock; }

  // Parameters and their serialisation.
  int ParamCount() const { return static_cast<int>(params.size()); }
  int DeclaredParamCount() const { return declaredParamCount; }
  bool IsParamIndex(int index) const { return index >= 0 && index < ParamCount(); }
  IEffectParam* Param(int index) final {
    return IsParamIndex(index) ? params[index].get() : nullptr;
  }
  bool SerializeParams(StateChunk& chunk, bool all);
  int UnserializeParams(const StateChunk& chunk, int start, bool all);
  void SetParameterFromGUI(int index, double normalized) final;
  void ParamReset();

  // Program slots.
  int PresetCount() const { return static_cast<int>(presets.size()); }
  int CurrentPresetIndex() const { return currentPreset; }
  void StorePreset(const char* name);
  bool RecallPreset(int index);
  void MakeDefaultPreset();
  const char* PresetName(int index) const;

  // Identity and configuration.
  const char* EffectName() const { return effectName; }
  const char* ProductName() const { return productName; }
  const char* VendorName() const { return vendorName; }
  std::int32_t UniqueId() const { return uniqueId; }
  std::int32_t VendorId() const { return vendorId; }
  std::int32_t EffectVersion(bool decimal) const;
  bool DoesChunks() const { return doesChunks; }
  bool IsInstrument() const { return isInstrument; }
  int Latency() const { return latency; }
  double SampleRateValue() const { return sampleRate; }
  // Rates that are not positive and finite are ignored.
  void SetSampleRateValue(double rate);
  int BlockFrames() const { return blockFrames; }
  std::int32_t HostVersion() const { return hostVersion; }

  // Channels.
  const std::vector<IOConfig>& ChannelConfigs() const { return configs; }
  bool LegalIO(int inputs, int outputs) const;
  int InputCount() const { return static_cast<int>(inputChannels.size()); }
  int OutputCount() const { return static_cast<int>(outputChannels.size()); }
  bool InputConnected(int channel) const;
  bool OutputConnected(int channel) const;
  void SetInputConnections(int start, int count, bool connected);
  void SetOutputConnections(int start, int count, bool connected);

  // The audio path. The attach operations take frames no larger than the block
  // size; ProcessHostFloat and ProcessHostDouble cut longer host calls into
  // slices of the block size. Null host arrays or buffers read as silence and
  // discard their output.
  void AttachFloatInputs(int start, int count, float* const* host, int frames);
  void AttachFloatOutputs(int start, int count, float* const* host);
  void AttachDoubleInputs(int start, int count, double* const* host);
  void AttachDoubleOutputs(int start, int count, double* const* host);
  void ProcessFloat(int frames, bool accumulate);
  void ProcessDouble(int frames);
  void ProcessHostFloat(float* const* inputs, float* const* outputs, int frames, bool accumulate);
  void ProcessHostDouble(double* const* inputs, double* const* outputs, int frames);

  // The editor.
  IEffectEditor* Editor() const { return editor.get(); }
  void RefreshEditorFromParams();

 protected:
  void SetHostIdentity(int kind, std::int32_t version) {
    hostKind = kind;
    hostVersion = version;
  }
  // Adds a configuration and the channels it needs beyond the current ones.
  void AddChannelConfig(int inputs, int outputs);
  // Appends an uninitialised parameter after the declared ones.
  IEffectParam& AppendParam();

 private:
  struct InputChannel {
    bool connected = false;
    std::vector<double> scratch;
  };
  struct OutputChannel {
    bool connected = false;
    float* floatDestination = nullptr;
    std::vector<double> scratch;
  };

  void ParseChannelConfigs(const char* text);
  void CreateChannels(int inputs, int outputs);
  void SizeSliceTables();
  int ConnectedInputCount() const;
  int ConnectedOutputCount() const;

  std::vector<std::unique_ptr<IEffectParam>> params;
  std::vector<std::unique_ptr<IEffectPreset>> presets;
  std::vector<IOConfig> configs;
  char effectName[128] = {};
  char productName[128] = {};
  char vendorName[128] = {};
  std::int32_t uniqueId;
  std::int32_t vendorId;
  std::int32_t version;
  int hostKind = -1;
  std::int32_t hostVersion = 0;
  bool doesChunks;
  bool isInstrument;
  double sampleRate = 44100.0;
  int blockFrames = 0;
  int latency;
  std::unique_ptr<IEffectEditor> editor;
  int currentPreset = 0;
  std::vector<double*> inputPointers;
  std::vector<double*> outputPointers;
  std::vector<InputChannel> inputChannels;
  std::vector<OutputChannel> outputChannels;
  // Host buffer pointers advanced to the current slice; sized with the channels.
  std::vector<float*> floatSliceIn, floatSliceOut;
  std::vector<double*> doubleSliceIn, doubleSliceOut;
  mutable std::recursive_mutex lock;
  int declaredParamCount;
};
