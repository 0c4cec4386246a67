#include "host/Renderer.h"

#include <cstring>

#include "effect/StretchStateTrailer.h"
#include "host/ParamText.h"
#include "host/WavWriter.h"

namespace {

constexpr std::uint32_t kChunkMagic = 0x70666674;
constexpr std::uint32_t kChunkVersion = 0x00010000;
constexpr std::size_t kValuesOffset = 8;
constexpr std::size_t kPathOffset = kValuesOffset + 8 * Renderer::kChunkValueCount;

std::uint32_t Read32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Put32(std::vector<unsigned char>& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

// The bank chunk's values and path, and whether the path's file is the clip
// playing; false when the chunk is not of our form.
bool DecodeChunk(const std::vector<unsigned char>& chunk, std::vector<double>* values,
                 std::string* path, bool* loaded) {
  if (chunk.size() < kPathOffset + 4 || Read32(chunk.data()) != kChunkMagic) return false;
  values->assign(Renderer::kChunkValueCount, 0.0);
  for (int i = 0; i < Renderer::kChunkValueCount; ++i) {
    std::uint64_t bits = 0;
    for (int b = 7; b >= 0; --b) bits = bits << 8 | chunk[kValuesOffset + 8 * i + b];
    std::memcpy(&(*values)[i], &bits, 8);
  }
  const std::uint32_t length = Read32(chunk.data() + kPathOffset);
  if (length > chunk.size() - kPathOffset - 4) return false;
  path->assign(chunk.begin() + kPathOffset + 4, chunk.begin() + kPathOffset + 4 + length);
  StateChunk state;
  state.Resize(static_cast<int>(chunk.size()));
  std::memcpy(state.Data(), chunk.data(), chunk.size());
  StretchStateTrailer trailer;
  // Builds without the trailer keep a path only when its file loaded.
  if (trailer.Read(state, static_cast<int>(kPathOffset + 4 + length)) < 0)
    *loaded = !path->empty();
  else
    *loaded = trailer.clipStatus == StretchStateTrailer::kFileLoaded;
  return true;
}

std::vector<unsigned char> EncodeChunk(const std::vector<double>& values, const std::string& path) {
  std::vector<unsigned char> chunk;
  Put32(chunk, kChunkMagic);
  Put32(chunk, kChunkVersion);
  for (double value : values) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, 8);
    Put32(chunk, static_cast<std::uint32_t>(bits));
    Put32(chunk, static_cast<std::uint32_t>(bits >> 32));
  }
  Put32(chunk, static_cast<std::uint32_t>(path.size()));
  chunk.insert(chunk.end(), path.begin(), path.end());
  return chunk;
}

bool Fail(std::string* error, const std::string& message) {
  *error = message;
  return false;
}

}  // namespace

bool Renderer::Open(const std::string& pluginPath, int sampleRate, int frames, std::string* error) {
  Close();
  return host.Load(pluginPath, error) && Prepare(pluginPath, sampleRate, frames, error);
}

bool Renderer::Open(VstHost::EntryProc entry, const std::string& name, int sampleRate, int frames,
                    std::string* error) {
  Close();
  return host.Create(entry, name, error) && Prepare(name, sampleRate, frames, error);
}

bool Renderer::Prepare(const std::string& pluginPath, int sampleRate, int frames,
                       std::string* error) {
  host.Dispatch(effOpen);
  open = true;
  const AEffect* effect = host.Effect();
  if (effect->numOutputs < 2) return Fail(error, pluginPath + " has fewer than two outputs");
  if (effect->numParams < kStretchDeclaredParams)
    return Fail(error, pluginPath + " is not Dilatorix (it has " +
                           std::to_string(effect->numParams) + " parameters)");
  for (const StretchParamSpec* record : SettableStretchParams()) {
    if (record->index >= kStretchDeclaredParams) continue;  // not announced
    const std::string name = host.ParamName(record->index);
    if (name != record->name)
      return Fail(error, pluginPath + " is not Dilatorix (parameter " +
                             std::to_string(record->index) + " is '" + name + "', not '" +
                             record->name + "')");
  }

  blockSize = frames;
  doubles = (effect->flags & effFlagsCanDoubleReplacing) != 0 && effect->processDoubleReplacing;
  for (int c = 0; c < 2; ++c) {
    inputs[c].assign(doubles ? frames : 0, 0.0);
    outputs[c].assign(frames, 0.0);
    floatInputs[c].assign(doubles ? 0 : frames, 0.f);
    floatOutputs[c].assign(doubles ? 0 : frames, 0.f);
  }
  host.transport.sampleRate = sampleRate;
  host.transport.playing = false;
  host.transport.samplePos = 0;
  host.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  host.Dispatch(effSetBlockSize, 0, frames);
  host.Dispatch(effMainsChanged, 0, 1);

  std::string path;
  bool loaded = false;
  if (!DecodeChunk(host.GetChunk(false), &values, &path, &loaded))
    return Fail(error, pluginPath + " gives no state chunk of Dilatorix's form");
  return true;
}

bool Renderer::LoadClip(const std::string& path, const std::vector<double>& newValues,
                        std::string* error) {
  if (!open) return Fail(error, "no plug-in is open");
  if (newValues.size() != static_cast<std::size_t>(kChunkValueCount))
    return Fail(error, "wrong number of parameter values");
  if (host.SetChunk(EncodeChunk(newValues, path), false) == 0)
    return Fail(error, "the plug-in refused its state chunk");
  // The state the plug-in gives back names the file and says it is playing.
  std::string named;
  bool loaded = false;
  if (!DecodeChunk(host.GetChunk(false), &values, &named, &loaded) || named != path || !loaded)
    return Fail(error, "the plug-in could not load " + path);
  return true;
}

void Renderer::Process(int frames) {
  if (doubles) {
    double* in[2] = {inputs[0].data(), inputs[1].data()};
    double* out[2] = {outputs[0].data(), outputs[1].data()};
    host.ProcessDouble(in, out, frames);
    return;
  }
  float* in[2] = {floatInputs[0].data(), floatInputs[1].data()};
  float* out[2] = {floatOutputs[0].data(), floatOutputs[1].data()};
  host.ProcessReplacing(in, out, frames);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < frames; ++i) outputs[c][i] = floatOutputs[c][i];
}

bool Renderer::Analyse(std::int64_t clipFrames, const Progress& progress, std::string* error) {
  if (!open) return Fail(error, "no plug-in is open");
  const std::int64_t calls =
      (clipFrames + kAnalysisFramesPerCall - 1) / kAnalysisFramesPerCall + 1 + kSpareAnalysisCalls;
  host.transport.playing = false;
  for (std::int64_t call = 0; call < calls; ++call) {
    Process(blockSize);
    if (progress && !progress(static_cast<double>(call + 1) / calls))
      return Fail(error, "interrupted");
  }
  return true;
}

bool Renderer::Render(std::uint64_t frames, WavWriter* writer, const Progress& progress,
                      std::string* error) {
  const Sink sink = [writer](const double* const* channels, int n) {
    return writer->WriteFrames(channels, n);
  };
  return Render(frames, sink, progress, error);
}

bool Renderer::Render(std::uint64_t frames, const Sink& sink, const Progress& progress,
                      std::string* error) {
  if (!open) return Fail(error, "no plug-in is open");
  host.transport.playing = true;
  const double* channels[2] = {outputs[0].data(), outputs[1].data()};
  for (std::uint64_t done = 0; done < frames;) {
    const std::uint64_t left = frames - done;
    const int n = left < static_cast<std::uint64_t>(blockSize) ? static_cast<int>(left) : blockSize;
    Process(n);
    if (!sink(channels, n)) return Fail(error, "write failed");
    done += static_cast<std::uint64_t>(n);
    host.transport.samplePos += n;
    if (progress && !progress(static_cast<double>(done) / frames))
      return Fail(error, "interrupted");
  }
  host.transport.playing = false;
  return true;
}

bool Renderer::SetParameter(int index, double value, std::string* error) {
  if (!open) return Fail(error, "no plug-in is open");
  // Hosts reach only the parameters the plug-in announces.
  const StretchParamSpec* record = index < kStretchDeclaredParams ? StretchParamAt(index) : nullptr;
  if (record == nullptr) return Fail(error, "no parameter " + std::to_string(index) + " to set");
  if (!CheckParamValue(*record, value, record->name, error)) return false;
  host.SetParameter(index, static_cast<float>(ParamNormalized(*record, value)));
  std::string path;
  bool loaded = false;
  if (!DecodeChunk(host.GetChunk(false), &values, &path, &loaded))
    return Fail(error, "the plug-in gives no state chunk of Dilatorix's form");
  return true;
}

bool Renderer::SetSampleRate(int sampleRate, std::string* error) {
  if (!open) return Fail(error, "no plug-in is open");
  host.Dispatch(effMainsChanged, 0, 0);
  host.transport.sampleRate = sampleRate;
  host.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  host.Dispatch(effMainsChanged, 0, 1);
  return true;
}

void Renderer::Close() {
  if (open) {
    host.Dispatch(effMainsChanged, 0, 0);
    open = false;
  }
  host.Close();
}
