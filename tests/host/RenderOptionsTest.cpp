// The renderer's command line and parameter value text.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/ParamText.h"
#include "host/RenderOptions.h"

namespace {

bool Parse(std::vector<const char*> args, RenderOptions* options, std::string* error) {
  args.insert(args.begin(), "dilatorix-render");
  return ParseRenderOptions(static_cast<int>(args.size()), args.data(), options, error);
}

bool ParseSnapshot(std::vector<const char*> args, RenderOptions* options, std::string* error) {
  args.insert(args.begin(), "dilatorix-snapshot");
  return ParseSnapshotOptions(static_cast<int>(args.size()), args.data(), options, error);
}

// The last value the options give the parameter, or NaN.
double Final(const RenderOptions& options, int index) {
  double value = NAN;
  for (const ParamAssignment& set : options.Assignments())
    if (set.index == index) value = set.value;
  return value;
}

TEST(RenderOptionsTest, StretchChoosesTheRangeAndRoundTrips) {
  struct Case {
    double factor;
    bool extreme;
    double nominal;
  };
  for (const Case& c : {Case{1, false, 0}, Case{8, false, std::log10(8.0) / 3},
                        Case{1000, false, 1}, Case{1001, true, std::log10(1001.0) / 9},
                        Case{1e6, true, 6.0 / 9}, Case{1e9, true, 1}}) {
    SCOPED_TRACE(c.factor);
    std::vector<ParamAssignment> set;
    std::string error;
    ASSERT_TRUE(StretchAssignments(c.factor, &set, &error)) << error;
    RenderOptions options;
    options.convenience = set;
    EXPECT_EQ(Final(options, kRateXtrm), c.extreme ? 1 : 0);
    EXPECT_NEAR(Final(options, kRateNom), c.nominal, 1e-12);
    EXPECT_EQ(Final(options, kRateSame), 1);
    EXPECT_NEAR(StretchFactor(Final(options, kRateNom), c.extreme), c.factor, c.factor * 1e-12);
  }
  std::vector<ParamAssignment> set;
  std::string error;
  EXPECT_FALSE(StretchAssignments(0.999, &set, &error));
  EXPECT_FALSE(StretchAssignments(1.000001e9, &set, &error));
  EXPECT_TRUE(set.empty());
}

TEST(RenderOptionsTest, ConvenienceOptionsSetTheirParametersAndParamWins) {
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--param", "RateSame=off", "--stretch", "10", "--blur=250", "--pitch",
                     "0.75", "--direction", "Fwd-Rev", "--region", "0.1", "0.9", "--contour",
                     "0.2", "--voice", "1.5", "0.25", "in.wav", "-o", "x.wav", "--bits", "24",
                     "--rate=48000", "--block", "64", "--duration", "3", "--quiet"},
                    &options, &error))
      << error;
  EXPECT_EQ(Final(options, kRateSame), 0);
  EXPECT_NEAR(Final(options, kRateNom), 1.0 / 3, 1e-12);
  EXPECT_EQ(Final(options, kBlurNom), 250);
  EXPECT_EQ(Final(options, kBlurTran), 250);
  EXPECT_EQ(Final(options, kPitch), 0.75);
  EXPECT_EQ(Final(options, kDir), 2);
  EXPECT_EQ(Final(options, kRegStart), 0.1);
  EXPECT_EQ(Final(options, kRegEnd), 0.9);
  EXPECT_EQ(Final(options, kTrScale), 0.2);
  EXPECT_EQ(Final(options, kHEnab1), 1);
  EXPECT_EQ(Final(options, kHPitch1), 1.5);
  EXPECT_EQ(Final(options, kHGain1), 0.25);
  EXPECT_EQ(options.input, "in.wav");
  EXPECT_EQ(options.output, "x.wav");
  EXPECT_EQ(options.bits, 24);
  EXPECT_EQ(options.sampleRate, 48000);
  EXPECT_EQ(options.blockSize, 64);
  EXPECT_EQ(options.duration, 3);
  EXPECT_EQ(options.report, RenderOptions::Report::kQuiet);

  // After "--" a leading dash is a file name.
  RenderOptions dashed;
  ASSERT_TRUE(Parse({"--", "-take.wav"}, &dashed, &error)) << error;
  EXPECT_EQ(dashed.input, "-take.wav");
}

TEST(RenderOptionsTest, RefusesMalformedArguments) {
  for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
           {"a.wav", "b.wav"}, {"--pitch"}, {"--pitch", "1x"}, {"--pitch", "nan"},
           {"--pitch", "2.01"}, {"--region", "0.5"}, {"--region=0.1", "0.2"},
           {"--voice", "3", "0.5"}, {"--voice", "1", "1.5"}, {"--bits", "16"},
           {"--rate", "44100.5"}, {"--block", "1048577"}, {"--duration", "0"},
           {"--quiet=yes"}, {"-o", ""}, {"--param", "Pitch"}, {"--param", "FileLoad=1"},
           {"--contour", "-0.1"}, {"-x"}}) {
    RenderOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, &options, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

// The snapshot tool takes the renderer's parameter options and host settings,
// --seconds for how long it plays, and none of the renderer's output options.
TEST(RenderOptionsTest, SnapshotSharesTheParameterOptions) {
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(ParseSnapshot({"--stretch", "10", "--blur=250", "--param", "Pitch=0.75", "in.wav",
                             "-o", "x.png", "--rate", "48000", "--block", "64"},
                            &options, &error))
      << error;
  EXPECT_NEAR(Final(options, kRateNom), 1.0 / 3, 1e-12);
  EXPECT_EQ(Final(options, kBlurTran), 250);
  EXPECT_EQ(Final(options, kPitch), 0.75);
  EXPECT_EQ(options.input, "in.wav");
  EXPECT_EQ(options.output, "x.png");
  EXPECT_EQ(options.sampleRate, 48000);
  EXPECT_EQ(options.blockSize, 64);
  EXPECT_EQ(options.duration, 3);  // seconds played unless told

  for (const char* seconds : {"0", "12.5", "3600"}) {
    RenderOptions timed;
    ASSERT_TRUE(ParseSnapshot({"--seconds", seconds}, &timed, &error)) << error;
    EXPECT_EQ(timed.duration, std::stod(seconds));
  }
  for (std::vector<const char*> args :
       std::vector<std::vector<const char*>>{{"--seconds", "-1"},
                                             {"--seconds", "3600.5"},
                                             {"--seconds", "soon"},
                                             {"--seconds"},
                                             {"--duration", "2"},
                                             {"--bits", "24"},
                                             {"--plugin", "x.so"},
                                             {"--progress"},
                                             {"--quiet"},
                                             {"--pitch", "3"}}) {
    RenderOptions refused;
    std::string reason;
    EXPECT_FALSE(ParseSnapshot(args, &refused, &reason)) << args[0];
    EXPECT_FALSE(reason.empty()) << args[0];
  }
  RenderOptions render;
  EXPECT_FALSE(Parse({"--seconds", "2"}, &render, &error));
  EXPECT_EQ(error, "unknown option --seconds (see --help)");
}

TEST(RenderOptionsTest, ParamValuesByKind) {
  struct Case {
    const char* name;
    const char* text;
    bool ok;
    double value;
  };
  for (const Case& c : {Case{"dir", "rand walk", true, 3}, Case{"Dir", "1", true, 1},
                        Case{"Dir", "4", false, 0}, Case{"FFT_Size", "2048", true, 2},
                        Case{"RateXtrm", "ON", true, 1}, Case{"Audition", "0", true, 0},
                        Case{"BlurPure", "2", false, 0}, Case{"BlurNom", "1000", true, 1000},
                        Case{"BlurNom", "1000.5", false, 0}, Case{"Level", "-0", true, 0},
                        Case{"H.Pitch3", "0.2", false, 0}, Case{"VolumeEnvelope", "on", true, 1}}) {
    SCOPED_TRACE(std::string(c.name) + "=" + c.text);
    const StretchParamSpec* record = FindStretchParam(c.name);
    ASSERT_NE(record, nullptr);
    double value = -1;
    std::string error;
    EXPECT_EQ(ParseParamValue(*record, c.text, &value, &error), c.ok) << error;
    if (c.ok) {
      EXPECT_EQ(value, c.value);
    }
  }
  EXPECT_EQ(FindStretchParam("FileLoad"), nullptr);
  EXPECT_EQ(FindStretchParam(""), nullptr);
  EXPECT_EQ(SettableStretchParams().size(), 30u);
}

}  // namespace
