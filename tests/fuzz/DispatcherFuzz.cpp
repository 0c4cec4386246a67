// libFuzzer target: a host's calls in any order on a fresh instance, read from
// the bytes: dispatcher calls with any opcode 0..80, index, value and opt,
// their pointer at a buffer of fuzzed bytes of the size hosts give for that
// opcode (the structures the protocol names where it names one: events,
// speaker arrangements, the chunk and rectangle pointers the plug-in fills),
// processing of any length up to 4096 frames in both sample types, and
// parameter changes with any float. The instance has no editor: its editor
// opcodes answer as with no window. Nothing may crash, hang, leak or trip a
// sanitizer, the output must stay finite and every parameter inside 0..1.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/fuzz/FuzzInstance.h"

namespace {

// What hosts hand for texts: room enough for any of the protocol's strings.
constexpr std::size_t kTextBytes = 256;

void Dispatch(VstHost& host, FuzzedDataProvider& in) {
  const VstInt32 opcode = in.ConsumeIntegralInRange<VstInt32>(0, 80);
  const VstInt32 index = in.ConsumeIntegral<VstInt32>();
  VstIntPtr value = in.ConsumeIntegral<VstIntPtr>();
  const float opt = in.ConsumeFloatingPoint<float>();
  std::vector<unsigned char> buffer = in.ConsumeBytes<unsigned char>(kTextBytes);
  buffer.resize(kTextBytes);
  void* ptr = buffer.data();
  void* filled = nullptr;     // the plug-in writes a pointer here
  VstMidiEvent midi[4] = {};  // events point into these
  VstEvents* events = nullptr;
  std::vector<unsigned char> eventsRoom;
  VstSpeakerArrangement arrangements[2] = {};
  switch (opcode) {
    case effClose:
      return;  // the instance ends with the input
    case effOpen:
    case effEditOpen:
      ptr = nullptr;  // no window to give
      break;
    case effGetChunk:
    case effEditGetRect:
      ptr = &filled;
      break;
    case effSetChunk:
      value = static_cast<VstIntPtr>(static_cast<std::uint64_t>(value) % (kTextBytes + 1));
      break;
    case effProcessEvents: {
      const int count = in.ConsumeIntegralInRange<int>(0, 4);
      eventsRoom.resize(sizeof(VstEvents) + 4 * sizeof(VstEvent*));
      events = reinterpret_cast<VstEvents*>(eventsRoom.data());
      events->numEvents = count;
      for (int i = 0; i < count; ++i) {
        in.ConsumeData(&midi[i], sizeof midi[i]);
        events->events[i] = reinterpret_cast<VstEvent*>(&midi[i]);
      }
      ptr = events;
      break;
    }
    case effSetSpeakerArrangement:
      for (VstSpeakerArrangement& a : arrangements) {
        a.type = in.ConsumeIntegral<VstInt32>();
        a.numChannels = in.ConsumeIntegral<VstInt32>();
      }
      value = in.ConsumeBool() ? reinterpret_cast<VstIntPtr>(&arrangements[0]) : 0;
      ptr = in.ConsumeBool() ? &arrangements[1] : nullptr;
      break;
    case effGetSpeakerArrangement:
      value = reinterpret_cast<VstIntPtr>(&filled);
      ptr = &filled;
      break;
    case effCanDo:
      buffer.back() = 0;  // a string
      break;
    default:
      break;
  }
  host.Dispatch(opcode, index, value, ptr, opt);
}

void Process(VstHost& host, FuzzedDataProvider& in) {
  const int frames = in.ConsumeIntegralInRange<int>(0, 4096);
  if (in.ConsumeBool()) {
    if (!PlaysFinite(host, frames)) std::abort();
    return;
  }
  std::vector<double> l(static_cast<std::size_t>(frames)), r(static_cast<std::size_t>(frames));
  double* outs[2] = {l.data(), r.data()};
  host.ProcessDouble(nullptr, outs, frames);
  for (int i = 0; i < frames; ++i)
    if (!std::isfinite(l[i]) || !std::isfinite(r[i])) std::abort();
}

void ChangeParameter(VstHost& host, FuzzedDataProvider& in) {
  const int index = in.ConsumeIntegralInRange<int>(-2, host.Effect()->numParams + 1);
  host.SetParameter(index, in.ConsumeFloatingPoint<float>());
  if (index < 0 || index >= host.Effect()->numParams) return;
  const float read = host.GetParameter(index);
  if (!(read >= 0.f && read <= 1.f)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  std::unique_ptr<VstHost> host = StartFuzzedInstance();
  if (host == nullptr) return 0;
  for (int call = 0; call < 64 && in.remaining_bytes() > 0; ++call) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
      case 1:
        Dispatch(*host, in);
        break;
      case 2:
        Process(*host, in);
        break;
      default:
        ChangeParameter(*host, in);
        break;
    }
  }
  return 0;
}
