// Classifying the host from its product string and converting the vendor version
// hosts report. Pure functions; the binding stores the result.
#pragma once

#include <cstdint>

enum HostKind : int {
  kHostNotAsked = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostFruity = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVstManLib = 13,
  kHostAuLab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSawStudio = 20,
  kHostLogic = 21,
  kHostDigital = 22,
};

// The first known name the lower-cased product text contains, in a fixed order.
HostKind HostKindFromProduct(const char* product);

// Hosts report VVVVRRMM in decimal; the plug-in keeps 0xVVVVRRMM.
std::int32_t VendorVersionToHex(std::int32_t decimal);

// Hosts that get only their first two inputs (and all outputs past two marked
// connected), and hosts that get a stereo layout when the plug-in declares none.
bool HostLimitsToStereo(int kind);
bool HostForcesStereo(int kind);
