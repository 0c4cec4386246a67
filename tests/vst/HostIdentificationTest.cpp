#include "vst/HostIdentification.h"

#include <gtest/gtest.h>

namespace {

TEST(HostIdentification, ProductTextsSelectKindsInTableOrder) {
  EXPECT_EQ(HostKindFromProduct("REAPER"), kHostReaper);
  EXPECT_EQ(HostKindFromProduct("Cubase VST"), kHostCubase);
  EXPECT_EQ(HostKindFromProduct("Ableton Live"), kHostLive);
  EXPECT_EQ(HostKindFromProduct("nuendo and cubase"), kHostCubase);
  EXPECT_EQ(HostKindFromProduct("Nuendo"), kHostNuendo);
  EXPECT_EQ(HostKindFromProduct("Fruity Wrapper"), kHostFruity);
  EXPECT_EQ(HostKindFromProduct("Logic Pro"), kHostLogic);
  EXPECT_EQ(HostKindFromProduct("Digital Performer"), kHostDigital);
  EXPECT_EQ(HostKindFromProduct("SAWStudio"), kHostSawStudio);
  EXPECT_EQ(HostKindFromProduct("Some Host"), kHostUnknown);
  EXPECT_EQ(HostKindFromProduct(""), kHostUnknown);
  EXPECT_EQ(HostKindFromProduct(nullptr), kHostUnknown);
}

TEST(HostIdentification, VendorVersionsBecomeHexFields) {
  EXPECT_EQ(VendorVersionToHex(5020), 0x00003214);
  EXPECT_EQ(VendorVersionToHex(1040000), 0x00680000);
  EXPECT_EQ(VendorVersionToHex(0), 0);
  VendorVersionToHex(2147483647);  // an absurd answer must not overflow
}

TEST(HostIdentification, AdjustmentLists) {
  for (int kind : {15, 17, 18, 20}) {
    EXPECT_TRUE(HostLimitsToStereo(kind));
    EXPECT_TRUE(HostForcesStereo(kind));
  }
  EXPECT_TRUE(HostForcesStereo(5));
  EXPECT_TRUE(HostForcesStereo(9));
  EXPECT_FALSE(HostLimitsToStereo(9));
  EXPECT_FALSE(HostForcesStereo(1));
  EXPECT_FALSE(HostForcesStereo(0));
}

}  // namespace
