#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/host/PluginFixture.h"

namespace {

struct Expected {
  int index;
  const char* name;
  const char* display;
};

// Names and default display texts, as the host sees them.
const Expected kDefaults[] = {
    {0, "Level", "0.71"},     {1, "Sync", "off"},        {2, "FFT_Size", "1024"},
    {3, "RateTran", "0"},     {4, "RateNom", "0"},       {5, "RateSame", "off"},
    {6, "RateXtrm", "off"},   {7, "BlurTran", "10.00"},  {8, "BlurNom", "10.00"},
    {9, "BlurSame", "off"},   {10, "Algo", "New"},       {11, "RegStart", "0"},
    {12, "RegEnd", "1.00"},   {13, "Dir", "Fwd"},        {14, "Audition", "off"},
    {15, "TrScale", "0.50"},  {16, "Pitch", "1.00"},     {17, "Wander", "0"},
    {18, "BlurPure", "off"},  {19, "ShowAll", "on"},     {20, "H.Enab1", "off"},
    {21, "H.Enab2", "off"},   {22, "H.Enab3", "off"},    {23, "H.Pitch1", "1.00"},
    {24, "H.Pitch2", "1.00"}, {25, "H.Pitch3", "1.00"},  {26, "H.Gain1", "1.00"},
    {27, "H.Gain2", "1.00"},  {28, "H.Gain3", "1.00"},   {49, "FileLoad", "off"},
    {50, "VolumeEnvelope", "off"},
};

TEST_F(PluginTest, NamesLabelsAndDefaultDisplays) {
  for (const Expected& e : kDefaults) {
    EXPECT_EQ(host.ParamName(e.index), e.name) << e.index;
    EXPECT_EQ(host.ParamDisplay(e.index), e.display) << e.index;
    EXPECT_EQ(host.ParamLabel(e.index), "") << e.index;
  }
  for (int i = 29; i <= 48; ++i) {
    EXPECT_EQ(host.ParamName(i), "") << i;
    EXPECT_EQ(host.ParamDisplay(i), "0") << i;
  }
  EXPECT_EQ(host.ParamName(51), "");  // beyond the parameter objects: nothing written
}

TEST_F(PluginTest, DefaultNormalizedValues) {
  EXPECT_NEAR(host.GetParameter(16), 1.0f / 3.0f, 1e-6);  // Pitch 1 in 0.5..2
  EXPECT_EQ(host.GetParameter(2), 0.5f);                   // FFT_Size 1 of 0..2
  EXPECT_EQ(host.GetParameter(19), 1.0f);
  EXPECT_EQ(host.GetParameter(12), 1.0f);
  EXPECT_EQ(host.GetParameter(10), 0.0f);
  EXPECT_EQ(host.GetParameter(51), 0.0f);
  EXPECT_EQ(host.GetParameter(-1), 0.0f);
  EXPECT_NEAR(host.GetParameter(0), 0.7079457843841428, 1e-7);
}

TEST_F(PluginTest, DisplaysFollowChangedValues) {
  const struct {
    int index;
    float normalized;
    const char* display;
  } changes[] = {
      {2, 0.0f, "512"},   {2, 1.0f, "2048"},     {13, 2.0f / 3, "Fwd-Rev"},
      {13, 1.0f, "Rand Walk"}, {10, 1.0f, "1"},  {14, 1.0f, "on"},
      {3, 0.5f, "0.5000"}, {4, 0.3333f, "0.3333"}, {8, 0.5f, "500.00"},
      {16, 1.0f, "2.00"}, {23, 0.0f, "0.25"},    {0, 0.0f, "0"},
      {49, 1.0f, "off"},  {50, 1.0f, "on"},  // FileLoad springs back once handled
  };
  for (const auto& c : changes) {
    host.SetParameter(c.index, c.normalized);
    EXPECT_EQ(host.ParamDisplay(c.index), c.display) << c.index;
  }
}

TEST_F(PluginTest, HostValuesOutsideTheRangeAreClamped) {
  host.SetParameter(16, -0.5f);
  EXPECT_EQ(host.ParamDisplay(16), "0.50");
  EXPECT_EQ(host.GetParameter(16), 0.0f);
  host.SetParameter(16, 1.5f);
  EXPECT_EQ(host.ParamDisplay(16), "2.00");
  host.SetParameter(8, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(host.ParamDisplay(8), "0");
  host.SetParameter(13, -3.0f);
  EXPECT_EQ(host.ParamDisplay(13), "Fwd");

  // Nameless parameters and out-of-range indices take values harmlessly.
  host.SetParameter(30, 0.7f);
  EXPECT_EQ(host.ParamDisplay(30), "1");  // an uninitialised parameter is a 0..1 integer
  host.SetParameter(51, 0.5f);
  host.SetParameter(-7, 0.5f);
  EXPECT_TRUE(host.calls.empty());  // setting from the host is not reported back
}

TEST_F(PluginTest, VendorSpecificDisplaysAnyNormalizedValue) {
  char text[64] = "untouched";
  EXPECT_EQ(host.Dispatch(effVendorSpecific, 7, 2, text, 1.0f), 0xBEEF);
  EXPECT_STREQ(text, "2048");
  EXPECT_EQ(host.Dispatch(effVendorSpecific, 7, 16, text, 0.0f), 0xBEEF);
  EXPECT_STREQ(text, "0.50");
  std::strcpy(text, "untouched");
  EXPECT_EQ(host.Dispatch(effVendorSpecific, 7, 51, text, 0.5f), 0xBEEF);
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(host.Dispatch(effVendorSpecific, 7, 2, nullptr, 0.5f), 0);
  EXPECT_EQ(host.Dispatch(effVendorSpecific, 6, 2, text, 0.5f), 0);
  EXPECT_EQ(host.Dispatch(effVendorSpecific, 7, 8, text, 1e30f), 0xBEEF);
  EXPECT_LT(std::strlen(text), 32u);  // absurd values give bounded text
}

}  // namespace
