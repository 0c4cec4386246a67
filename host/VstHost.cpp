#include "host/VstHost.h"

#if defined(_WIN32)
#include <string>

#include "platform/WideText.h"
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The module's loader: LoadLibrary on Windows, dlopen elsewhere. Open sets
// reason when it fails.
#if defined(_WIN32)
void* OpenModule(const std::string& path, std::string* reason) {
  HMODULE module = LoadLibraryW(WideFromUtf8(path).c_str());
  if (module == nullptr) *reason = "error " + std::to_string(GetLastError());
  return reinterpret_cast<void*>(module);
}
void* FindEntry(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
void CloseModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }
#else
void* OpenModule(const std::string& path, std::string* reason) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* text = dlerror();
    *reason = text != nullptr ? text : "unknown error";
  }
  return module;
}
void* FindEntry(void* module, const char* name) { return dlsym(module, name); }
void CloseModule(void* module) { dlclose(module); }
#endif

// Calls made during the entry call arrive before the effect knows its host.
thread_local VstHost* loadingHost = nullptr;

}  // namespace

VstHost::~VstHost() { Close(); }

bool VstHost::Load(const std::string& path, std::string* error) {
  return LoadEntry(path, nullptr, error);
}

bool VstHost::LoadEntry(const std::string& path, const char* symbol, std::string* error) {
  Close();
  auto fail = [&](const std::string& message) {
    if (error != nullptr) *error = message;
    Close();
    return false;
  };
  std::string reason;
  library = OpenModule(path, &reason);
  if (library == nullptr) return fail("cannot load " + path + ": " + reason);
  void* entry = FindEntry(library, symbol != nullptr ? symbol : "VSTPluginMain");
  if (entry == nullptr && symbol == nullptr) entry = FindEntry(library, "main");
  if (entry == nullptr) return fail(path + " has no VST 2 entry point");
  if (!Instantiate(reinterpret_cast<EntryProc>(entry), path, error)) {
    Close();
    return false;
  }
  return true;
}

bool VstHost::Create(EntryProc entry, const std::string& name, std::string* error) {
  Close();
  return Instantiate(entry, name, error);
}

bool VstHost::Instantiate(EntryProc entry, const std::string& name, std::string* error) {
  auto fail = [&](const std::string& message) {
    if (error != nullptr) *error = message;
    return false;
  };
  VstHost* const outer = loadingHost;  // a plug-in may itself load one while being created
  loadingHost = this;
  AEffect* created = entry(passNullCallback ? nullptr : &Callback);
  loadingHost = outer;
  if (created == nullptr) return fail(name + ": the entry point created no instance");
  if (created->magic != kEffectMagic) return fail(name + ": not a VST 2 effect (bad magic)");
  effect = created;
  effect->user = this;
  return true;
}

void VstHost::Close() {
  if (effect != nullptr) {
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.f);
    effect = nullptr;
  }
  if (library != nullptr) {
    CloseModule(library);
    library = nullptr;
  }
}

VstIntPtr VstHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                            float opt) {
  if (effect == nullptr) return 0;
  if (opcode == effClose) {
    AEffect* closing = effect;
    effect = nullptr;
    return closing->dispatcher(closing, opcode, index, value, ptr, opt);
  }
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void VstHost::SetParameter(int index, float value) {
  if (effect != nullptr && effect->setParameter != nullptr)
    effect->setParameter(effect, index, value);
}

float VstHost::GetParameter(int index) {
  if (effect == nullptr || effect->getParameter == nullptr) return 0.f;
  return effect->getParameter(effect, index);
}

void VstHost::ProcessAccumulating(float** inputs, float** outputs, int frames) {
  if (effect != nullptr && effect->process != nullptr)
    effect->process(effect, inputs, outputs, frames);
}

void VstHost::ProcessReplacing(float** inputs, float** outputs, int frames) {
  if (effect != nullptr && effect->processReplacing != nullptr)
    effect->processReplacing(effect, inputs, outputs, frames);
}

void VstHost::ProcessDouble(double** inputs, double** outputs, int frames) {
  if (effect != nullptr && effect->processDoubleReplacing != nullptr)
    effect->processDoubleReplacing(effect, inputs, outputs, frames);
}

std::string VstHost::TextQuery(VstInt32 opcode, VstInt32 index) {
  char text[256] = {};
  Dispatch(opcode, index, 0, text);
  text[sizeof text - 1] = '\0';
  return text;
}

std::string VstHost::ParamName(int index) { return TextQuery(effGetParamName, index); }
std::string VstHost::ParamLabel(int index) { return TextQuery(effGetParamLabel, index); }
std::string VstHost::ParamDisplay(int index) { return TextQuery(effGetParamDisplay, index); }
std::string VstHost::ProgramName() { return TextQuery(effGetProgramName, 0); }
std::string VstHost::ProgramNameIndexed(int index) {
  return TextQuery(effGetProgramNameIndexed, index);
}
std::string VstHost::EffectName() { return TextQuery(effGetEffectName, 0); }
std::string VstHost::VendorString() { return TextQuery(effGetVendorString, 0); }
std::string VstHost::ProductString() { return TextQuery(effGetProductString, 0); }

VstIntPtr VstHost::CanDo(const std::string& text) {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  return Dispatch(effCanDo, 0, 0, copy.data());
}

std::vector<unsigned char> VstHost::GetChunk(bool program) {
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
  if (size <= 0 || data == nullptr) return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + size);
}

VstIntPtr VstHost::SetChunk(const std::vector<unsigned char>& chunk, bool program) {
  std::vector<unsigned char> copy = chunk;  // hosts hand over memory they own
  return Dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(copy.size()),
                  copy.empty() ? nullptr : copy.data());
}

int VstHost::CallCount(VstInt32 opcode) const {
  return static_cast<int>(std::count_if(
      calls.begin(), calls.end(), [opcode](const HostCall& c) { return c.opcode == opcode; }));
}

void VstHost::ClearRecords() {
  calls.clear();
  receivedMidi.clear();
  receivedEvents.clear();
  timeFilters.clear();
}

VstIntPtr VstHost::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                            void* ptr, float opt) {
  VstHost* host = effect != nullptr && effect->user != nullptr ? static_cast<VstHost*>(effect->user)
                                                               : loadingHost;
  if (opcode == audioMasterVersion && host == nullptr) return kVstVersion;
  return host != nullptr ? host->Answer(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr VstHost::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (keepRecords) calls.push_back({opcode, index, value, opt});
  switch (opcode) {
    case audioMasterVersion:
      return kVstVersion;
    case audioMasterGetCurrentProcessLevel:
      return processLevel;
    case audioMasterGetTime: {
      if (keepRecords) timeFilters.push_back(static_cast<VstInt32>(value));
      if (!transport.hasTimeInfo) return 0;
      timeInfo = {};
      timeInfo.samplePos = transport.samplePos;
      timeInfo.sampleRate = transport.sampleRate;
      timeInfo.ppqPos = transport.ppqPos;
      timeInfo.tempo = transport.tempo;
      timeInfo.barStartPos = transport.barStartPos;
      timeInfo.cycleStartPos = transport.cycleStartPos;
      timeInfo.cycleEndPos = transport.cycleEndPos;
      timeInfo.timeSigNumerator = transport.timeSigNumerator;
      timeInfo.timeSigDenominator = transport.timeSigDenominator;
      timeInfo.flags = transport.validFlags | (transport.playing ? kVstTransportPlaying : 0) |
                       (transport.cycleActive ? kVstTransportCycleActive : 0);
      return reinterpret_cast<VstIntPtr>(&timeInfo);
    }
    case audioMasterGetProductString:
      if (ptr == nullptr || productString.empty()) return 0;
      std::snprintf(static_cast<char*>(ptr), 64, "%s", productString.c_str());
      return 1;
    case audioMasterGetVendorVersion:
      return vendorVersion;
    case audioMasterProcessEvents: {
      const auto* events = static_cast<const VstEvents*>(ptr);
      for (VstInt32 i = 0; events != nullptr && i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (event == nullptr || !keepRecords) continue;
        if (event->type == kVstMidiType)
          receivedMidi.push_back(*reinterpret_cast<const VstMidiEvent*>(event));
        else
          receivedEvents.push_back(*event);
      }
      return processEventsAnswer;
    }
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterWantMidi:
      return 1;
    default:
      return 0;
  }
}
