#include "core/IEffectParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

std::string Display(const IEffectParam& p, double v, bool normalized = false) {
  char text[kParamTextSize];
  p.DisplayText(v, normalized, text);
  return text;
}

TEST(IEffectParam, InitialisersSetRangeTypeAndPrecision) {
  IEffectParam fresh;
  EXPECT_EQ(fresh.GetType(), IEffectParam::kTypeNone);
  EXPECT_EQ(fresh.Max(), 1.0);
  EXPECT_EQ(Display(fresh, fresh.Value()), "0");

  IEffectParam empty;
  empty.InitDouble("x", 0, 0, 0, 1, "");
  EXPECT_EQ(empty.Max(), 1.0);  // widened to min + step

  const struct {
    double step;
    int precision;
  } steps[] = {{1, 0}, {0.01, 2}, {0.0025, 4}, {1e-9, 6}, {0.5, 1}};
  for (const auto& s : steps) {
    IEffectParam p;
    p.InitDouble("p", 0, 0, 10, s.step, "");
    EXPECT_EQ(p.Precision(), s.precision) << s.step;
  }

  IEffectParam choice;
  choice.InitEnum("e", 1, 3);
  EXPECT_EQ(choice.GetType(), IEffectParam::kTypeEnum);  // not overwritten by InitDouble
  EXPECT_EQ(choice.Max(), 2.0);
  EXPECT_DOUBLE_EQ(choice.GetNormalized(), 0.5);
  IEffectParam single;
  single.InitEnum("one", 0, 1);
  EXPECT_EQ(single.Max(), 1.0);

  IEffectParam flag;
  flag.InitBool("b", true);
  EXPECT_EQ(flag.GetType(), IEffectParam::kTypeBool);
  EXPECT_EQ(flag.Value(), 1.0);
  EXPECT_EQ(Display(flag, 1), "on");
  EXPECT_EQ(Display(flag, 0), "off");

  IEffectParam whole;
  whole.InitInt("i", 3, 0, 10, "st");
  EXPECT_EQ(whole.GetType(), IEffectParam::kTypeInt);
  EXPECT_STREQ(whole.Label(), "st");
  EXPECT_EQ(Display(whole, 3), "3");
}

TEST(IEffectParam, LongTextsAreCutTo31Characters) {
  IEffectParam p;
  const std::string longName(40, 'n');
  p.InitDouble(longName.c_str(), 0, 0, 1, 1, longName.c_str());
  EXPECT_EQ(std::string(p.Name()), std::string(31, 'n'));
  EXPECT_EQ(std::string(p.Label()), std::string(31, 'n'));
  p.SetDisplayText(0, longName.c_str());
  EXPECT_EQ(std::string(p.GetDisplayText(0)), std::string(31, 'n'));
}

TEST(IEffectParam, SetNormalizedSnapsAllButDoublesAndStaysInRange) {
  IEffectParam whole;
  whole.InitInt("i", 0, 0, 10, "");
  whole.SetNormalized(0.5);
  EXPECT_EQ(whole.Value(), 5.0);
  whole.SetNormalized(0.55);
  EXPECT_EQ(whole.Value(), 6.0);

  IEffectParam fine;
  fine.InitDouble("d", 0, 0, 1000, 0.01, "");
  fine.SetNormalized(0.5);
  EXPECT_EQ(fine.Value(), 500.0);
  fine.SetNormalized(0.123456);
  EXPECT_DOUBLE_EQ(fine.Value(), 123.456);  // never snapped to the step

  IEffectParam unit;
  unit.InitDouble("u", 0, 0, 1, 0.01, "");
  unit.SetNormalized(1.2);
  EXPECT_EQ(unit.Value(), 1.0);
  // Host values below 0, and NaN, end at min rather than outside the range.
  IEffectParam pitch;
  pitch.InitDouble("p", 1, 0.5, 2, 0.01, "");
  pitch.SetNormalized(-0.5);
  EXPECT_EQ(pitch.Value(), 0.5);
  pitch.SetNormalized(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(pitch.Value(), 0.5);
  pitch.SetNormalized(-std::numeric_limits<double>::infinity());
  EXPECT_EQ(pitch.Value(), 0.5);
}

TEST(IEffectParam, GetNormalizedClampsTheValue) {
  IEffectParam p;
  p.InitDouble("p", 1, 0.5, 2, 0.01, "");
  EXPECT_NEAR(p.GetNormalized(), 1.0 / 3.0, 1e-15);
  p.SetValue(5);
  EXPECT_EQ(p.GetNormalized(), 1.0);
  p.SetValue(-5);
  EXPECT_EQ(p.GetNormalized(), 0.0);
  EXPECT_EQ(p.ToNormalized(2.0), 1.0);
}

TEST(IEffectParam, DisplayTextRules) {
  IEffectParam d;
  d.InitDouble("d", 10, 0, 1000, 0.01, "");
  EXPECT_EQ(Display(d, 10), "10.00");
  EXPECT_EQ(Display(d, 0), "0");
  EXPECT_EQ(Display(d, 0.5, true), "500.00");
  EXPECT_EQ(Display(d, -2.5), "-2.50");

  IEffectParam fine;
  fine.InitDouble("r", 0, 0, 1, 0.0025, "");
  EXPECT_EQ(Display(fine, 0.3333), "0.3333");

  IEffectParam whole;
  whole.InitInt("i", 0, -5, 5, "");
  EXPECT_EQ(Display(whole, -3.7), "-3");  // truncation toward zero

  // Texts replace the numbers they name; the first record for a value wins, and
  // an empty text leaves the number.
  IEffectParam e;
  e.InitEnum("e", 0, 3);
  e.SetDisplayText(0, "zero");
  e.SetDisplayText(0, "again");
  e.SetDisplayText(1, "");
  EXPECT_EQ(Display(e, 0), "zero");
  EXPECT_EQ(Display(e, 1), "1");
  EXPECT_EQ(Display(e, 2), "2");
  EXPECT_EQ(e.DisplayTextCount(), 3);
  double found = -1;
  EXPECT_TRUE(e.GetValueForText("zero", &found));
  EXPECT_EQ(found, 0.0);
  EXPECT_FALSE(e.GetValueForText("Zero", &found));
  EXPECT_STREQ(e.GetDisplayText(7), "");

  // Absurd values give bounded text, never undefined conversions.
  EXPECT_LT(Display(d, 1e300).size(), static_cast<std::size_t>(kParamTextSize));
  EXPECT_EQ(Display(whole, 1e300), "2147483647");
}

}  // namespace
