#include "vst/IEffectVst.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/FloatingPointGuard.h"
#include "platform/SafeConvert.h"
#include "platform/TextCopy.h"
#include "platform/Trace.h"
#include "vst/HostIdentification.h"

namespace {

constexpr VstInt32 kChunkMagic = FourCharCode('p', 'f', 'f', 't');
constexpr VstInt32 kChunkVersion = 0x00010000;
constexpr VstInt32 kIdentifyAnswer = FourCharCode('N', 'v', 'E', 'f');
constexpr VstIntPtr kVendorSpecificAnswer = 0xBEEF;
constexpr VstInt32 kTransportFilter =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;

void SetArrangement(VstSpeakerArrangement& arrangement, int channels) {
  arrangement.numChannels = channels;
  arrangement.type = channels == 0   ? kSpeakerArrEmpty
                     : channels == 1 ? kSpeakerArrMono
                     : channels == 2 ? kSpeakerArrStereo
                                     : kSpeakerArrUserDefined;
}

bool FitsInt(VstIntPtr v) { return v >= INT_MIN && v <= INT_MAX; }

const char* OpcodeName(VstInt32 opcode) {
  switch (opcode) {
    case effOpen: return "effOpen";
    case effClose: return "effClose";
    case effSetProgram: return "effSetProgram";
    case effGetProgram: return "effGetProgram";
    case effSetProgramName: return "effSetProgramName";
    case effGetProgramName: return "effGetProgramName";
    case effGetParamLabel: return "effGetParamLabel";
    case effGetParamDisplay: return "effGetParamDisplay";
    case effGetParamName: return "effGetParamName";
    case effSetSampleRate: return "effSetSampleRate";
    case effSetBlockSize: return "effSetBlockSize";
    case effMainsChanged: return "effMainsChanged";
    case effEditGetRect: return "effEditGetRect";
    case effEditOpen: return "effEditOpen";
    case effEditClose: return "effEditClose";
    case effGetChunk: return "effGetChunk";
    case effSetChunk: return "effSetChunk";
    case effProcessEvents: return "effProcessEvents";
    case effCanDo: return "effCanDo";
    default: return "";
  }
}

}  // namespace

IEffectVst::IEffectVst(audioMasterCallback host, int paramCount, const char* channelConfigs,
                       int presetCount, const char* effectName, const char* productName,
                       const char* vendorName, std::int32_t version, std::int32_t uniqueId,
                       std::int32_t vendorId, int latency, bool midi, bool doesChunks,
                       bool isInstrument)
    : IEffectBase(paramCount, channelConfigs, presetCount, effectName, productName, vendorName,
                  version, uniqueId, vendorId, latency, doesChunks, isInstrument),
      hostCallback(host),
      doesMidi(midi) {
  SetArrangement(inputArrangement, InputCount());
  SetArrangement(outputArrangement, OutputCount());

  effect.magic = kEffectMagic;
  effect.dispatcher = &IEffectVst::VSTDispatcher;
  effect.process = &IEffectVst::VSTProcess;
  effect.setParameter = &IEffectVst::VSTSetParameter;
  effect.getParameter = &IEffectVst::VSTGetParameter;
  effect.numPrograms = PresetCount();
  effect.numParams = DeclaredParamCount();
  effect.numInputs = InputCount();
  effect.numOutputs = OutputCount();
  effect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (doesChunks) effect.flags |= effFlagsProgramChunks;
  if (LegalIO(1, -1)) effect.flags |= effFlagsCanMono;
  if (isInstrument) effect.flags |= effFlagsIsSynth;
  effect.initialDelay = latency;
  effect.ioRatio = 1.0f;
  effect.object = this;
  effect.uniqueID = uniqueId;
  effect.version = EffectVersion(true);
  effect.processReplacing = &IEffectVst::VSTProcessReplacing;
  effect.processDoubleReplacing = &IEffectVst::VSTProcessDoubleReplacing;

  SetInputConnections(0, InputCount(), true);
  SetOutputConnections(0, OutputCount(), true);
  SetBlockFrames(1024);
}

IEffectVst::~IEffectVst() { effect.object = nullptr; }

IEffectVst* IEffectVst::FromEffect(AEffect* e) {
  return e != nullptr ? static_cast<IEffectVst*>(e->object) : nullptr;
}

VstIntPtr IEffectVst::VSTDispatcher(AEffect* e, VstInt32 opcode, VstInt32 index,
                                    VstIntPtr value, void* ptr, float opt) {
  IEffectVst* plug = FromEffect(e);
  if (plug == nullptr) return 0;
  // The editor's message pump runs outside the lock: what it does to the
  // plug-in takes the lock itself, and the audio thread must not wait for it.
  if (opcode == effEditIdle) {
    if (plug->Editor() != nullptr) plug->Editor()->IdleEditor();
    return 0;
  }
  // A state takes the lock for what it sets and lets it go while the plug-in
  // reads what the state names.
  if (opcode == effSetChunk) return plug->SetChunk(index, value, ptr);
  if (opcode == effClose) {
    {
      EffectLock guard(plug->Lock());
      DLX_TRACE("%d(%s):%d:%d", opcode, OpcodeName(opcode), index, static_cast<int>(value));
    }
    delete plug;
    return 0;
  }
  EffectLock guard(plug->Lock());
  return plug->Dispatch(opcode, index, value, ptr, opt);
}

VstIntPtr IEffectVst::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
  if (opcode == effIdle) return 0;
  DLX_TRACE("%d(%s):%d:%d", opcode, OpcodeName(opcode), index, static_cast<int>(value));
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effOpen:
      HostSpecificSetup();
      ParamReset();
      return 0;
    case effSetProgram:
      if (!DoesChunks()) StorePreset(nullptr);
      if (FitsInt(value)) RecallPreset(static_cast<int>(value));
      return 0;
    case effGetProgram:
      return CurrentPresetIndex();
    case effSetProgramName:
      if (text != nullptr) StorePreset(text);
      return 0;
    case effGetProgramName:
      if (text != nullptr) CopyText(text, sizeof(IEffectPreset::name), PresetName(CurrentPresetIndex()));
      return 0;
    case effGetParamLabel:
      if (text != nullptr && IsParamIndex(index)) CopyText(text, kParamTextSize, Param(index)->Label());
      return 0;
    case effGetParamDisplay:
      if (text != nullptr && IsParamIndex(index)) {
        char display[kParamTextSize];
        Param(index)->DisplayText(Param(index)->Value(), false, display);
        CopyText(text, kParamTextSize, display);
      }
      return 0;
    case effGetParamName:
      if (text != nullptr && IsParamIndex(index)) CopyText(text, kParamTextSize, Param(index)->Name());
      return 0;
    case effSetSampleRate:
      SetSampleRateValue(opt);
      ResetState();
      return 0;
    case effSetBlockSize:
      if (FitsInt(value)) SetBlockFrames(static_cast<int>(value));
      ResetState();
      return 0;
    case effMainsChanged:
      Activate(value != 0);
      if (value == 0) ResetState();
      return 0;
    case effEditGetRect:
      if (ptr == nullptr || Editor() == nullptr) return 0;
      *static_cast<ERect**>(ptr) = &editRect;
      return 1;
    case effEditOpen:
      if (Editor() == nullptr || !Editor()->OpenEditor(ptr)) return 0;
      EditorOpened();
      return 1;
    case effEditClose:
      if (Editor() == nullptr) return 0;
      EditorClosed();
      Editor()->CloseEditor();
      return 1;
    case effIdentify:
      return kIdentifyAnswer;
    case effGetChunk:
      return GetChunk(index, ptr);
    case effProcessEvents:
      return ProcessEvents(static_cast<const VstEvents*>(ptr));
    case effCanBeAutomated:
      return 1;
    case effGetProgramNameIndexed:
      if (text == nullptr) return 0;
      CopyText(text, sizeof(IEffectPreset::name), PresetName(index));
      return text[0] != '\0' ? 1 : 0;
    case effGetInputProperties:
      return PinProperties(index, ptr, true);
    case effGetOutputProperties:
      return PinProperties(index, ptr, false);
    case effGetPlugCategory:
      return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement: {
      const auto* in = reinterpret_cast<const VstSpeakerArrangement*>(value);
      const auto* out = static_cast<const VstSpeakerArrangement*>(ptr);
      if (in != nullptr) {
        const int n = std::max<VstInt32>(in->numChannels, 0);
        SetInputConnections(0, n, true);
        SetInputConnections(n, InputCount(), false);
      }
      if (out != nullptr) {
        const int n = std::max<VstInt32>(out->numChannels, 0);
        SetOutputConnections(0, n, true);
        SetOutputConnections(n, OutputCount(), false);
      }
      return 1;
    }
    case effGetEffectName:
      if (text == nullptr) return 0;
      CopyText(text, 128, EffectName());
      return 1;
    case effGetVendorString:
      if (text == nullptr) return 0;
      CopyText(text, 128, VendorName());
      return 1;
    case effGetProductString:
      if (text == nullptr) return 0;
      CopyText(text, 128, ProductName());
      return 1;
    case effVendorSpecific:
      if (index != 7 || text == nullptr) return 0;
      if (FitsInt(value) && IsParamIndex(static_cast<int>(value))) {
        IEffectParam* param = Param(static_cast<int>(value));
        char display[kParamTextSize];
        param->DisplayText(opt, true, display);
        CopyText(text, kParamTextSize, display);
      }
      return kVendorSpecificAnswer;
    case effCanDo:
      return CanDo(text);
    case effGetVstVersion:
      return kVstVersion;
    case effGetMidiKeyName: {
      auto* key = static_cast<MidiKeyName*>(ptr);
      if (key == nullptr) return 0;
      key->keyName[0] = '\0';
      return MidiNoteLabel(key->thisKeyNumber, key->keyName) ? 1 : 0;
    }
    case effGetSpeakerArrangement:
      if (value != 0) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement;
      if (ptr != nullptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement;
      return 1;
    default:
      return 0;
  }
}

VstIntPtr IEffectVst::CanDo(const char* text) {
  if (text == nullptr) return 0;
  DLX_TRACE("VSTCanDo(%s)", text);
  if (std::strcmp(text, "receiveVstTimeInfo") == 0) return 1;
  if (doesMidi) {
    for (const char* midi : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                             "receiveVstMidiEvent"})
      if (std::strcmp(text, midi) == 0) return 1;
  }
  return 0;
}

VstIntPtr IEffectVst::GetChunk(VstInt32 index, void* ptr) {
  if (ptr == nullptr) return 0;
  StateChunk& buffer = index == 0 ? BankChunk : ProgramChunk;
  buffer.Resize(0);
  buffer.AppendInt32(kChunkMagic);
  buffer.AppendInt32(kChunkVersion);
  if (index == 0) StorePreset(nullptr);
  if (!SaveState(buffer) || buffer.Size() <= 0) return 0;
  *static_cast<void**>(ptr) = buffer.Data();
  return buffer.Size();
}

VstIntPtr IEffectVst::SetChunk(VstInt32 index, VstIntPtr size, const void* data) {
  // Nothing to read: the state stays exactly as it is.
  if (data == nullptr || size <= 0 || size > INT_MAX) return 0;
  {
    EffectLock guard(Lock());
    DLX_TRACE("%d(%s):%d:%d", effSetChunk, OpcodeName(effSetChunk), index, static_cast<int>(size));
    StateChunk& buffer = index == 0 ? BankChunk : ProgramChunk;
    buffer.Resize(static_cast<int>(size));
    std::memcpy(buffer.Data(), data, static_cast<std::size_t>(size));
    int start = 0;
    std::int32_t version = 0, magic = 0;
    if (buffer.ReadInt32(0, &magic) > 0 && magic == kChunkMagic)
      start = buffer.ReadInt32(4, &version);
    const int position = LoadState(buffer, start);
    if (index != 0 || version < kChunkVersion) StorePreset(nullptr);
    if (position < 0) return 0;
    RefreshEditorFromParams();
  }
  FinishStateLoad();
  return 1;
}

VstIntPtr IEffectVst::ProcessEvents(const VstEvents* events) {
  if (events == nullptr) return 0;
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    VstEvent* event = events->events[i];
    if (event == nullptr) continue;
    if (event->type == kVstMidiType) {
      const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
      MidiMessage message;
      message.frameOffset = midi->deltaFrames;
      message.status = static_cast<std::uint8_t>(midi->midiData[0]);
      message.data1 = static_cast<std::uint8_t>(midi->midiData[1]);
      message.data2 = static_cast<std::uint8_t>(midi->midiData[2]);
      HandleMidi(message);
    } else {
      ForwardEvent(event);
    }
  }
  return 1;
}

VstIntPtr IEffectVst::PinProperties(VstInt32 index, void* ptr, bool input) {
  const int count = input ? InputCount() : OutputCount();
  auto* pin = static_cast<VstPinProperties*>(ptr);
  if (pin == nullptr || index < 0 || index >= count) return 0;
  pin->flags = kVstPinIsActive;
  if (index % 2 == 0 && index < count - 1) pin->flags |= kVstPinIsStereo;
  std::snprintf(pin->label, sizeof pin->label, input ? "Input %d" : "Output %d", index + 1);
  return 1;
}

void IEffectVst::VSTSetParameter(AEffect* e, VstInt32 index, float value) {
  IEffectVst* plug = FromEffect(e);
  if (plug == nullptr) return;
  EffectLock guard(plug->Lock());
  IEffectParam* param = plug->Param(index);
  if (param == nullptr) return;
  if (plug->Editor() != nullptr) plug->Editor()->SetParameterFromPlug(index, value, true);
  param->SetNormalized(value);
  plug->ParamChanged(index);
}

float IEffectVst::VSTGetParameter(AEffect* e, VstInt32 index) {
  IEffectVst* plug = FromEffect(e);
  if (plug == nullptr) return 0.0f;
  EffectLock guard(plug->Lock());
  IEffectParam* param = plug->Param(index);
  return param != nullptr ? static_cast<float>(param->GetNormalized()) : 0.0f;
}

// The three audio entries: the lock for the whole call, MIDI asked for when the
// plug-in takes it, then the base's audio path.
template <typename Run>
void IEffectVst::RunAudioEntry(AEffect* e, Run run) {
  IEffectVst* plug = FromEffect(e);
  if (plug == nullptr) return;
  EffectLock guard(plug->Lock());
  // The whole call, sample conversions included, runs with denormals flushed;
  // the caller gets its own control word back without new exception flags.
  FloatingPointGuard floatingPoint;
  if (plug->doesMidi) plug->CallHost(audioMasterWantMidi, 0, 1, nullptr, 0.0f);
  run(*plug);
}

void IEffectVst::VSTProcess(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
  RunAudioEntry(e, [&](IEffectVst& plug) { plug.ProcessHostFloat(inputs, outputs, frames, true); });
}

void IEffectVst::VSTProcessReplacing(AEffect* e, float** inputs, float** outputs,
                                     VstInt32 frames) {
  RunAudioEntry(e, [&](IEffectVst& plug) { plug.ProcessHostFloat(inputs, outputs, frames, false); });
}

void IEffectVst::VSTProcessDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                           VstInt32 frames) {
  RunAudioEntry(e, [&](IEffectVst& plug) { plug.ProcessHostDouble(inputs, outputs, frames); });
}

VstIntPtr IEffectVst::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
  return hostCallback != nullptr ? hostCallback(&effect, opcode, index, value, ptr, opt) : 0;
}

VstTimeInfo* IEffectVst::QueryTime(VstInt32 filter) {
  return reinterpret_cast<VstTimeInfo*>(CallHost(audioMasterGetTime, 0, filter, nullptr, 0.0f));
}

void IEffectVst::BeginParamEdit(int index) { CallHost(audioMasterBeginEdit, index, 0, nullptr, 0.0f); }

void IEffectVst::AutomateParam(int index, double normalized) {
  CallHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalized));
}

void IEffectVst::EndParamEdit(int index) { CallHost(audioMasterEndEdit, index, 0, nullptr, 0.0f); }

int IEffectVst::HostSamplePos() {
  const VstTimeInfo* info = QueryTime(0);
  return info != nullptr && info->samplePos >= 0.0 ? TruncToInt32(info->samplePos + 0.5) : 0;
}

double IEffectVst::HostTempo() {
  const VstTimeInfo* info = QueryTime(kVstTempoValid);
  return info != nullptr && (info->flags & kVstTempoValid) != 0 && info->tempo >= 0.0 ? info->tempo
                                                                                      : 0.0;
}

void IEffectVst::HostTimeSig(int* numerator, int* denominator) {
  const VstTimeInfo* info = QueryTime(kVstTimeSigValid);
  const bool valid = info != nullptr && (info->flags & kVstTimeSigValid) != 0 &&
                     info->timeSigNumerator >= 0 && info->timeSigDenominator >= 0;
  if (numerator != nullptr) *numerator = valid ? info->timeSigNumerator : 0;
  if (denominator != nullptr) *denominator = valid ? info->timeSigDenominator : 0;
}

void IEffectVst::HostTransport(TransportState* state) {
  if (state == nullptr) return;
  *state = TransportState();
  const VstTimeInfo* info = QueryTime(kTransportFilter);
  if (info == nullptr || (info->flags & kTransportFilter) == 0) return;
  const VstInt32 flags = info->flags;
  state->samplePosition = info->samplePos;
  if ((flags & kVstPpqPosValid) && info->ppqPos >= 0.0) state->ppqPosition = info->ppqPos;
  if ((flags & kVstTempoValid) && info->tempo > 0.0) state->tempo = info->tempo;
  if ((flags & kVstBarsValid) && info->barStartPos >= 0.0) state->lastBarStart = info->barStartPos;
  if ((flags & kVstCyclePosValid) && info->cycleStartPos >= 0.0 && info->cycleEndPos >= 0.0) {
    state->cycleStart = info->cycleStartPos;
    state->cycleEnd = info->cycleEndPos;
  }
  if ((flags & kVstTimeSigValid) && info->timeSigNumerator > 0 && info->timeSigDenominator > 0) {
    state->numerator = info->timeSigNumerator;
    state->denominator = info->timeSigDenominator;
  }
  state->playing = (flags & kVstTransportPlaying) != 0;
  state->looping = (flags & kVstTransportCycleActive) != 0;
}

bool IEffectVst::IsHostRenderingOffline() {
  return CallHost(audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f) ==
         kVstProcessLevelOffline;
}

bool IEffectVst::IsHostPlaying() {
  const VstTimeInfo* info = QueryTime(kTransportFilter);
  if (info == nullptr || (info->flags & kTransportFilter) == 0) return true;
  return (info->flags & kVstTransportPlaying) != 0;
}

int IEffectVst::GetHostKind() {
  if (IEffectBase::GetHostKind() != kHostNotAsked) return IEffectBase::GetHostKind();
  char product[256] = {};
  CallHost(audioMasterGetProductString, 0, 0, product, 0.0f);
  product[sizeof product - 1] = '\0';
  std::int32_t version = 0;
  if (product[0] != '\0') {
    const VstIntPtr answer = CallHost(audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f);
    version = VendorVersionToHex(static_cast<std::int32_t>(answer));
  }
  SetHost(product, version);
  return IEffectBase::GetHostKind();
}

void IEffectVst::SetHost(const char* product, std::int32_t version) {
  const HostKind kind = HostKindFromProduct(product);
  SetHostIdentity(kind, version);
  char versionText[32];
  std::snprintf(versionText, sizeof versionText, "v%d.%02d", version >> 16, (version >> 8) & 0xFF);
  DLX_TRACE("host_%sknown:%s:%s", kind == kHostUnknown ? "un" : "", product, versionText);
}

void IEffectVst::HostSpecificSetup() {
  if (hostSpecificSetupDone) return;
  hostSpecificSetupDone = true;
  ApplyHostAdjustments(GetHostKind());
  PublishChannels();
}

void IEffectVst::ApplyHostAdjustments(int kind) {
  if (HostLimitsToStereo(kind)) {
    SetInputConnections(2, InputCount() - 2, false);
    // Marked connected only; their buffers stay where they are.
    if (OutputCount() >= 3) SetOutputConnections(2, OutputCount() - 2, true);
  }
  if (HostForcesStereo(kind) && InputCount() == 0 && OutputCount() == 0) {
    AddChannelConfig(2, 2);
    SetInputConnections(0, 2, true);
    SetOutputConnections(0, 2, true);
  }
}

void IEffectVst::PublishChannels() {
  effect.numInputs = InputCount();
  effect.numOutputs = OutputCount();
  SetArrangement(inputArrangement, InputCount());
  SetArrangement(outputArrangement, OutputCount());
}

void IEffectVst::AttachEditor(std::unique_ptr<IEffectEditor> attached) {
  IEffectBase::AttachEditor(std::move(attached));
  if (Editor() != nullptr) effect.flags |= effFlagsHasEditor;
  EditorSizeChanged();
}

void IEffectVst::EditorSizeChanged() {
  if (Editor() == nullptr) return;
  editRect.top = 0;
  editRect.left = 0;
  editRect.bottom = static_cast<VstInt16>(Editor()->Height());
  editRect.right = static_cast<VstInt16>(Editor()->Width());
}

void IEffectVst::SetLatencySamples(int samples) {
  effect.initialDelay = samples;
  IEffectBase::SetLatencySamples(samples);
}

bool IEffectVst::SendMidi(const MidiMessage& message) {
  VstMidiEvent event = {};
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = message.frameOffset;
  event.midiData[0] = static_cast<char>(message.status);
  event.midiData[1] = static_cast<char>(message.data1);
  event.midiData[2] = static_cast<char>(message.data2);
  return ForwardEvent(reinterpret_cast<VstEvent*>(&event));
}

bool IEffectVst::SendMidiList(const std::vector<MidiMessage>& messages) {
  bool all = true;
  for (const MidiMessage& message : messages) all = SendMidi(message) && all;
  return all;
}

bool IEffectVst::ForwardEvent(VstEvent* event) {
  VstEvents list = {};
  list.numEvents = 1;
  list.events[0] = event;
  return CallHost(audioMasterProcessEvents, 0, 0, &list, 0.0f) == 1;
}
