#include "vst/HostIdentification.h"

#include <cctype>
#include <string>

HostKind HostKindFromProduct(const char* product) {
  static const struct {
    const char* text;
    HostKind kind;
  } kNames[] = {
      {"cubase", kHostCubase},         {"reaper", kHostReaper},
      {"nuendo", kHostNuendo},         {"cakewalk", kHostCakewalk},
      {"samplitude", kHostSamplitude}, {"fruity", kHostFruity},
      {"live", kHostLive},             {"melodyne", kHostMelodyne},
      {"vstmanlib", kHostVstManLib},   {"aulab", kHostAuLab},
      {"forte", kHostForte},           {"chainer", kHostChainer},
      {"audition", kHostAudition},     {"orion", kHostOrion},
      {"sawstudio", kHostSawStudio},   {"logic", kHostLogic},
      {"digital", kHostDigital},
  };
  std::string lower = product != nullptr ? product : "";
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const auto& name : kNames)
    if (lower.find(name.text) != std::string::npos) return name.kind;
  return kHostUnknown;
}

std::int32_t VendorVersionToHex(std::int32_t decimal) {
  // In 64 bits: an absurd host answer wraps instead of overflowing.
  const std::int64_t v = decimal;
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(v + (v % 10000 / 100) * 156 + (v / 10000) * 55536));
}

bool HostLimitsToStereo(int kind) {
  return kind == kHostForte || kind == kHostAudition || kind == kHostOrion ||
         kind == kHostSawStudio;
}

bool HostForcesStereo(int kind) {
  return kind == kHostCakewalk || kind == kHostLive || HostLimitsToStereo(kind);
}
