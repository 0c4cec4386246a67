// libFuzzer target: any bytes as the state a host restores (a bank or, by the
// first byte, a program chunk), into an instance that then plays a few
// blocks. The seeds name generated files: clips, a malformed one, an empty
// one, a folder, /dev/zero. Nothing may crash, hang, leak or trip a
// sanitizer; the output must stay finite, and what the instance saves then
// must restore into another instance that saves the very same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/fuzz/FuzzInstance.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Two instances for the whole run (making one costs more than a load), each
  // set back to the state a fresh one saves before every input.
  static std::unique_ptr<VstHost> host = StartFuzzedInstance();
  static std::unique_ptr<VstHost> again = StartFuzzedInstance();
  static const std::vector<unsigned char> fresh =
      host != nullptr ? host->GetChunk(false) : std::vector<unsigned char>();
  if (size < 1 || host == nullptr || again == nullptr) return 0;
  const bool program = (data[0] & 1) != 0;
  const std::vector<unsigned char> chunk(data + 1, data + size);
  host->SetChunk(fresh, false);
  host->SetChunk(chunk, program);
  for (int block = 0; block < 6; ++block)
    if (!PlaysFinite(*host, 256)) std::abort();
  const std::vector<unsigned char> saved = host->GetChunk(false);
  again->SetChunk(fresh, false);
  if (again->SetChunk(saved, false) != 1) std::abort();
  if (again->GetChunk(false) != saved) std::abort();
  return 0;
}
