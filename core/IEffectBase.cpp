#include "core/IEffectBase.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/SafeConvert.h"
#include "platform/TextCopy.h"
#include "platform/Trace.h"

namespace {

// "%Y%m%d %H:%M " and the capitals of the time-zone name; it only feeds the trace.
std::string LocalTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local {};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[64] = {};
  std::strftime(text, sizeof text, "%Y%m%d %H:%M ", &local);
  char zone[32] = {};
  std::strftime(zone, sizeof zone, "%Z", &local);
  std::string result = text;
  for (const char* c = zone; *c != '\0'; ++c)
    if (std::isupper(static_cast<unsigned char>(*c))) result += *c;
  return result;
}

// The index range [start, start + count) clipped to [0, size).
void ClipRange(int start, int count, int size, int* lo, int* hi) {
  const long long end = static_cast<long long>(start) + std::max(count, 0);
  *lo = std::max(start, 0);
  *hi = static_cast<int>(std::min<long long>(end, size));
}

}  // namespace

IEffectBase::IEffectBase(int paramCount, const char* channelConfigs, int presetCount,
                         const char* effect, const char* product, const char* vendor,
                         std::int32_t effectVersion, std::int32_t uniqueIdValue,
                         std::int32_t vendorIdValue, int latencySamples, bool chunks,
                         bool instrument)
    : uniqueId(uniqueIdValue),
      vendorId(vendorIdValue),
      version(effectVersion),
      doesChunks(chunks),
      isInstrument(instrument),
      latency(latencySamples),
      declaredParamCount(std::max(paramCount, 0)) {
  DLX_TRACE("%s:%s", effect, LocalTimeText().c_str());
  for (int i = 0; i < declaredParamCount; ++i) params.push_back(std::make_unique<IEffectParam>());
  for (int i = 0; i < presetCount; ++i) {
    auto preset = std::make_unique<IEffectPreset>();
    std::snprintf(preset->name, sizeof preset->name, "- %d -", i + 1);
    presets.push_back(std::move(preset));
  }
  CopyText(effectName, effect);
  CopyText(productName, product);
  CopyText(vendorName, vendor);
  ParseChannelConfigs(channelConfigs);
}

IEffectBase::~IEffectBase() = default;

void IEffectBase::ParseChannelConfigs(const char* text) {
  int maxIn = 0, maxOut = 0;
  const char* token = text != nullptr ? text : "";
  while (true) {
    int inputs = 0, outputs = 0;
    std::sscanf(token, "%d-%d", &inputs, &outputs);
    configs.push_back({inputs, outputs});
    maxIn = std::max(maxIn, inputs);
    maxOut = std::max(maxOut, outputs);
    const char* space = std::strchr(token, ' ');
    if (space == nullptr) break;
    token = space + 1;
  }
  CreateChannels(maxIn, maxOut);
}

void IEffectBase::AddChannelConfig(int inputs, int outputs) {
  EffectLock guard(lock);
  configs.push_back({inputs, outputs});
  CreateChannels(std::max(inputs, InputCount()), std::max(outputs, OutputCount()));
}

void IEffectBase::CreateChannels(int inputs, int outputs) {
  const std::size_t frames = static_cast<std::size_t>(std::max(blockFrames, 0));
  if (inputs > InputCount()) inputChannels.resize(static_cast<std::size_t>(inputs));
  if (outputs > OutputCount()) outputChannels.resize(static_cast<std::size_t>(outputs));
  inputPointers.resize(inputChannels.size());
  outputPointers.resize(outputChannels.size());
  for (std::size_t i = 0; i < inputChannels.size(); ++i) {
    inputChannels[i].scratch.resize(frames, 0.0);
    inputPointers[i] = inputChannels[i].scratch.data();
  }
  for (std::size_t i = 0; i < outputChannels.size(); ++i) {
    outputChannels[i].scratch.resize(frames, 0.0);
    outputPointers[i] = outputChannels[i].scratch.data();
  }
  SizeSliceTables();
}

void IEffectBase::SizeSliceTables() {
  floatSliceIn.assign(inputChannels.size(), nullptr);
  doubleSliceIn.assign(inputChannels.size(), nullptr);
  floatSliceOut.assign(outputChannels.size(), nullptr);
  doubleSliceOut.assign(outputChannels.size(), nullptr);
}

IEffectParam& IEffectBase::AppendParam() {
  EffectLock guard(lock);
  params.push_back(std::make_unique<IEffectParam>());
  return *params.back();
}

void IEffectBase::ResetState() { EffectLock guard(lock); }

void IEffectBase::ParamChanged(int) { EffectLock guard(lock); }

void IEffectBase::ProcessBlock(double** inputs, double** outputs, int frames) {
  const int through = std::min(InputCount(), OutputCount());
  const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(std::max(frames, 0));
  for (int c = 0; c < OutputCount(); ++c) {
    if (c < through)
      std::memmove(outputs[c], inputs[c], bytes);
    else
      std::memset(outputs[c], 0, bytes);
  }
}

void IEffectBase::Activate(bool) { EffectLock guard(lock); }

void IEffectBase::HandleMidi(const MidiMessage& message) { SendMidi(message); }

bool IEffectBase::MidiNoteLabel(int, char* text) {
  if (text != nullptr) text[0] = '\0';
  return false;
}

bool IEffectBase::SaveState(StateChunk& chunk) { return SerializeParams(chunk, false); }

int IEffectBase::LoadState(const StateChunk& chunk, int start) {
  return UnserializeParams(chunk, start, false);
}

void IEffectBase::SaveValueList(StateChunk& chunk, const void* values) {
  EffectLock guard(lock);
  const auto* slots = static_cast<const unsigned char*>(values);
  for (int i = 0; i < ParamCount(); ++i) {
    const unsigned char* slot = slots + 8 * static_cast<std::size_t>(i);
    double v = 0.0;
    const IEffectParam::Type type = params[i]->GetType();
    if (type == IEffectParam::kTypeBool || type == IEffectParam::kTypeInt ||
        type == IEffectParam::kTypeEnum) {
      std::int32_t whole = 0;
      std::memcpy(&whole, slot, 4);
      v = whole;
    } else {
      std::memcpy(&v, slot, 8);
    }
    chunk.AppendDouble(v);
  }
}

int IEffectBase::GetHostKind() { return hostKind; }

void IEffectBase::FileDropped(const char*) { EffectLock guard(lock); }

void IEffectBase::SecondFileDropped(const char*) { EffectLock guard(lock); }

void IEffectBase::AttachEditor(std::unique_ptr<IEffectEditor> attached) {
  EffectLock guard(lock);
  if (!attached) return;
  for (int i = 0; i < ParamCount(); ++i)
    attached->SetParameterFromPlug(i, params[i]->GetNormalized(), true);
  attached->PrepareDraw();
  editor = std::move(attached);
}

void IEffectBase::SetBlockFrames(int frames) {
  EffectLock guard(lock);
  if (frames == blockFrames || frames < 1 || frames > kMaxBlockFrames) return;
  blockFrames = frames;
  for (std::size_t i = 0; i < inputChannels.size(); ++i) {
    inputChannels[i].scratch.assign(static_cast<std::size_t>(frames), 0.0);
    inputPointers[i] = inputChannels[i].scratch.data();
  }
  for (std::size_t i = 0; i < outputChannels.size(); ++i) {
    outputChannels[i].scratch.assign(static_cast<std::size_t>(frames), 0.0);
    outputPointers[i] = outputChannels[i].scratch.data();
  }
}

void IEffectBase::SetLatencySamples(int samples) { latency = samples; }

bool IEffectBase::SerializeParams(StateChunk& chunk, bool all) {
  EffectLock guard(lock);
  const int count = all ? ParamCount() : declaredParamCount;
  for (int i = 0; i < count; ++i)
    if (chunk.AppendDouble(params[i]->Value()) <= 0) return false;
  return true;
}

int IEffectBase::UnserializeParams(const StateChunk& chunk, int start, bool all) {
  EffectLock guard(lock);
  const int count = all ? ParamCount() : declaredParamCount;
  int position = start;
  for (int i = 0; i < count && position >= 0; ++i) {
    DLX_TRACE("%d %s", i, params[i]->Name());
    double v = 0.0;
    position = chunk.ReadDouble(position, &v);
    if (position < 0) v = 0.0;
    params[i]->SetValue(ClampValue(v, params[i]->Min(), params[i]->Max()));
  }
  for (int i = 0; i < ParamCount(); ++i) ParamChanged(i);
  return position;
}

void IEffectBase::SetParameterFromGUI(int index, double normalized) {
  EffectLock guard(lock);
  if (!IsParamIndex(index)) return;
  DLX_TRACE("%d:%f", index, normalized);
  params[index]->SetNormalized(normalized);
  AutomateParam(index, normalized);
  ParamChanged(index);
}

void IEffectBase::ParamReset() {
  EffectLock guard(lock);
  for (int i = 0; i < ParamCount(); ++i) ParamChanged(i);
}

void IEffectBase::StorePreset(const char* name) {
  EffectLock guard(lock);
  if (currentPreset < 0 || currentPreset >= PresetCount()) return;
  IEffectPreset& preset = *presets[currentPreset];
  preset.values.Resize(0);
  SerializeParams(preset.values, false);
  if (name != nullptr && name[0] != '\0') CopyText(preset.name, name);
}

bool IEffectBase::RecallPreset(int index) {
  EffectLock guard(lock);
  if (index < 0 || index >= PresetCount()) return false;
  IEffectPreset& preset = *presets[index];
  bool success;
  if (preset.initialised) {
    success = UnserializeParams(preset.values, 0, false) > 0;
  } else {
    preset.initialised = true;
    int named = 0;
    for (const auto& p : presets)
      if (std::strstr(p->name, "user preset") != nullptr) ++named;
    std::snprintf(preset.name, sizeof preset.name, "%s %d", "user preset", named + 1);
    preset.values.Resize(0);
    success = SerializeParams(preset.values, false);
  }
  if (success) {
    currentPreset = index;
    RefreshEditorFromParams();
  }
  return success;
}

void IEffectBase::MakeDefaultPreset() {
  EffectLock guard(lock);
  if (!presets.empty()) return;
  auto added = std::make_unique<IEffectPreset>();
  std::snprintf(added->name, sizeof added->name, "- %d -", 1);
  presets.push_back(std::move(added));
  for (auto& preset : presets) {
    if (preset->initialised) continue;
    CopyText(preset->name, "Default");
    preset->initialised = true;
    preset->values.Resize(0);
    SerializeParams(preset->values, false);
    break;
  }
}

const char* IEffectBase::PresetName(int index) const {
  return index >= 0 && index < PresetCount() ? presets[index]->name : "";
}

std::int32_t IEffectBase::EffectVersion(bool decimal) const {
  if (!decimal) return version;
  const std::int32_t major = (version >> 16) & 0xFFFF;
  const std::int32_t minor = (version >> 8) & 0xFF;
  const std::int32_t micro = version & 0xFF;
  return major * 10000 + minor * 100 + micro;
}

void IEffectBase::SetSampleRateValue(double rate) {
  EffectLock guard(lock);
  if (rate > 0.0 && std::isfinite(rate)) sampleRate = rate;
}

bool IEffectBase::LegalIO(int inputs, int outputs) const {
  bool legal = false;
  for (const IOConfig& config : configs) {
    if ((inputs < 0 || config.inputs == inputs) && (outputs < 0 || config.outputs == outputs)) {
      legal = true;
      break;
    }
  }
  DLX_TRACE("%d:%d:%s", inputs, outputs, legal ? "legal" : "illegal");
  return legal;
}

bool IEffectBase::InputConnected(int channel) const {
  return channel >= 0 && channel < InputCount() && inputChannels[channel].connected;
}

bool IEffectBase::OutputConnected(int channel) const {
  return channel >= 0 && channel < OutputCount() && outputChannels[channel].connected;
}

void IEffectBase::SetInputConnections(int start, int count, bool connected) {
  EffectLock guard(lock);
  int lo, hi;
  ClipRange(start, count, InputCount(), &lo, &hi);
  for (int i = lo; i < hi; ++i) {
    InputChannel& channel = inputChannels[i];
    channel.connected = connected;
    if (!connected) {
      // A disconnected input reads silence, not what its last block left there.
      std::fill(channel.scratch.begin(), channel.scratch.end(), 0.0);
      inputPointers[i] = channel.scratch.data();
    }
  }
}

void IEffectBase::SetOutputConnections(int start, int count, bool connected) {
  EffectLock guard(lock);
  int lo, hi;
  ClipRange(start, count, OutputCount(), &lo, &hi);
  for (int i = lo; i < hi; ++i) {
    OutputChannel& channel = outputChannels[i];
    channel.connected = connected;
    if (!connected) {
      channel.floatDestination = nullptr;
      outputPointers[i] = channel.scratch.data();
    }
  }
}

void IEffectBase::AttachFloatInputs(int start, int count, float* const* host, int frames) {
  int lo, hi;
  ClipRange(start, count, InputCount(), &lo, &hi);
  const int n = std::min(std::max(frames, 0), blockFrames);
  int next = 0;
  for (int i = lo; i < hi; ++i) {
    InputChannel& channel = inputChannels[i];
    if (!channel.connected) continue;
    const float* source = host != nullptr ? host[next] : nullptr;
    ++next;
    double* scratch = channel.scratch.data();
    if (source != nullptr)
      for (int s = 0; s < n; ++s) scratch[s] = source[s];
    else
      std::fill(scratch, scratch + n, 0.0);
    inputPointers[i] = scratch;
  }
}

void IEffectBase::AttachFloatOutputs(int start, int count, float* const* host) {
  int lo, hi;
  ClipRange(start, count, OutputCount(), &lo, &hi);
  int next = 0;
  for (int i = lo; i < hi; ++i) {
    OutputChannel& channel = outputChannels[i];
    if (!channel.connected) continue;
    channel.floatDestination = host != nullptr ? host[next] : nullptr;
    ++next;
    outputPointers[i] = channel.scratch.data();
  }
}

void IEffectBase::AttachDoubleInputs(int start, int count, double* const* host) {
  int lo, hi;
  ClipRange(start, count, InputCount(), &lo, &hi);
  int next = 0;
  for (int i = lo; i < hi; ++i) {
    InputChannel& channel = inputChannels[i];
    if (!channel.connected) continue;
    double* buffer = host != nullptr ? host[next] : nullptr;
    ++next;
    if (buffer == nullptr) {
      std::fill(channel.scratch.begin(), channel.scratch.end(), 0.0);
      buffer = channel.scratch.data();
    }
    inputPointers[i] = buffer;
  }
}

void IEffectBase::AttachDoubleOutputs(int start, int count, double* const* host) {
  int lo, hi;
  ClipRange(start, count, OutputCount(), &lo, &hi);
  int next = 0;
  for (int i = lo; i < hi; ++i) {
    OutputChannel& channel = outputChannels[i];
    if (!channel.connected) continue;
    double* buffer = host != nullptr ? host[next] : nullptr;
    ++next;
    outputPointers[i] = buffer != nullptr ? buffer : channel.scratch.data();
  }
}

void IEffectBase::ProcessFloat(int frames, bool accumulate) {
  ProcessBlock(inputPointers.data(), outputPointers.data(), frames);
  for (OutputChannel& channel : outputChannels) {
    if (!channel.connected || channel.floatDestination == nullptr) continue;
    const double* result = channel.scratch.data();
    float* destination = channel.floatDestination;
    if (accumulate)
      for (int s = 0; s < frames; ++s) destination[s] += static_cast<float>(result[s]);
    else
      for (int s = 0; s < frames; ++s) destination[s] = static_cast<float>(result[s]);
  }
}

void IEffectBase::ProcessDouble(int frames) {
  ProcessBlock(inputPointers.data(), outputPointers.data(), frames);
}

// Host arrays hold one buffer per connected channel; advances them to offset.
template <typename Sample>
static void SliceHostBuffers(Sample* const* host, int count, int offset,
                             std::vector<Sample*>& slice) {
  for (int c = 0; c < count; ++c)
    slice[c] = host != nullptr && host[c] != nullptr ? host[c] + offset : nullptr;
}

int IEffectBase::ConnectedInputCount() const {
  return static_cast<int>(std::count_if(inputChannels.begin(), inputChannels.end(),
                                        [](const InputChannel& c) { return c.connected; }));
}

int IEffectBase::ConnectedOutputCount() const {
  return static_cast<int>(std::count_if(outputChannels.begin(), outputChannels.end(),
                                        [](const OutputChannel& c) { return c.connected; }));
}

void IEffectBase::ProcessHostFloat(float* const* inputs, float* const* outputs, int frames,
                                   bool accumulate) {
  EffectLock guard(lock);
  const int ins = ConnectedInputCount(), outs = ConnectedOutputCount();
  for (int done = 0; done < frames && blockFrames > 0;) {
    const int n = std::min(blockFrames, frames - done);
    SliceHostBuffers(inputs, ins, done, floatSliceIn);
    SliceHostBuffers(outputs, outs, done, floatSliceOut);
    AttachFloatInputs(0, InputCount(), floatSliceIn.data(), n);
    AttachFloatOutputs(0, OutputCount(), floatSliceOut.data());
    ProcessFloat(n, accumulate);
    done += n;
  }
}

void IEffectBase::ProcessHostDouble(double* const* inputs, double* const* outputs, int frames) {
  EffectLock guard(lock);
  const int ins = ConnectedInputCount(), outs = ConnectedOutputCount();
  for (int done = 0; done < frames && blockFrames > 0;) {
    const int n = std::min(blockFrames, frames - done);
    SliceHostBuffers(inputs, ins, done, doubleSliceIn);
    SliceHostBuffers(outputs, outs, done, doubleSliceOut);
    AttachDoubleInputs(0, InputCount(), doubleSliceIn.data());
    AttachDoubleOutputs(0, OutputCount(), doubleSliceOut.data());
    ProcessDouble(n);
    done += n;
  }
}

void IEffectBase::RefreshEditorFromParams() {
  EffectLock guard(lock);
  if (!editor) return;
  for (int i = 0; i < ParamCount(); ++i) editor->SetParameterFromPlug(i, params[i]->Value(), false);
}
