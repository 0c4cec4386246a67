// The VST 2 binding: the effect record handed to the host, the dispatcher, the
// parameter and audio entries, the calls back into the host and host
// identification. Every entry the host can reach takes the plug-in lock for its
// whole duration. The product class derives from it; the entry point creates one
// object per instance and the host destroys it with effClose.
#pragma once

#include "core/IEffectBase.h"
#include "vst/VstInterface.h"

class IEffectVst : public IEffectBase {
 public:
  IEffectVst(audioMasterCallback host, int paramCount, const char* channelConfigs,
             int presetCount, const char* effectName, const char* productName,
             const char* vendorName, std::int32_t version, std::int32_t uniqueId,
             std::int32_t vendorId, int latency, bool doesMidi, bool doesChunks,
             bool isInstrument);
  ~IEffectVst() override;

  AEffect* Effect() { return &effect; }
  static IEffectVst* FromEffect(AEffect* effect);

  // Host entries, as the effect record names them.
  static VstIntPtr VST_CALL VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
  static void VST_CALL VSTSetParameter(AEffect* effect, VstInt32 index, float value);
  static float VST_CALL VSTGetParameter(AEffect* effect, VstInt32 index);
  static void VST_CALL VSTProcess(AEffect* effect, float** inputs, float** outputs,
                                  VstInt32 frames);
  static void VST_CALL VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                           VstInt32 frames);
  static void VST_CALL VSTProcessDoubleReplacing(AEffect* effect, double** inputs,
                                                 double** outputs, VstInt32 frames);

  // Operations the base leaves to the binding.
  void BeginParamEdit(int index) override;
  void AutomateParam(int index, double normalized) override;
  void EndParamEdit(int index) override;
  int HostSamplePos() override;
  double HostTempo() override;
  void HostTimeSig(int* numerator, int* denominator) override;
  void HostTransport(TransportState* state) override;
  int GetHostKind() override;
  void EditorSizeChanged() override;
  void HostSpecificSetup() override;
  // Takes the editor, publishes its rectangle and offers hosts the editor.
  void AttachEditor(std::unique_ptr<IEffectEditor> editor) override;
  void SetLatencySamples(int samples) override;
  bool SendMidi(const MidiMessage& message) override;
  bool SendMidiList(const std::vector<MidiMessage>& messages) override;

  // True when the transport plays, and when the host gives no time information.
  bool IsHostPlaying();
  // True when the host says it renders offline (no real-time deadline); most
  // hosts say nothing, which counts as real time.
  bool IsHostRenderingOffline();
  // Hands a non-MIDI event back to the host as a one-event list.
  bool ForwardEvent(VstEvent* event);
  void SetHost(const char* product, std::int32_t version);

  const ERect& EditRect() const { return editRect; }
  const VstSpeakerArrangement& InputArrangement() const { return inputArrangement; }
  const VstSpeakerArrangement& OutputArrangement() const { return outputArrangement; }

 private:
  template <typename Run>
  static void RunAudioEntry(AEffect* effect, Run run);
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  VstIntPtr CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  VstTimeInfo* QueryTime(VstInt32 filter);
  VstIntPtr CanDo(const char* text);
  VstIntPtr GetChunk(VstInt32 index, void* ptr);
  // Reached from the dispatcher without the plug-in lock: takes it for the
  // state's values, then lets FinishStateLoad run outside it.
  VstIntPtr SetChunk(VstInt32 index, VstIntPtr size, const void* data);
  VstIntPtr ProcessEvents(const VstEvents* events);
  VstIntPtr PinProperties(VstInt32 index, void* ptr, bool input);
  void PublishChannels();
  void ApplyHostAdjustments(int kind);

  ERect editRect = {};
  audioMasterCallback hostCallback;
  VstSpeakerArrangement inputArrangement = {};
  VstSpeakerArrangement outputArrangement = {};
  bool hostSpecificSetupDone = false;
  bool doesMidi;
  StateChunk ProgramChunk;
  StateChunk BankChunk;
  AEffect effect = {};
};
