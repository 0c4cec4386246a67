// The spectrograph: its black rectangle before any frames, where the picture
// lies, which frame each column shows, and colours worked out by hand from the
// level and the row.
#include <cmath>
#include <functional>

#include "editor/SpectrographDisplay.h"
#include "tests/editor/EditorTestSupport.h"

namespace editortest {
namespace {

const PixelRect kRect(100, 425, 600, 645);
// Inside the 2-pixel margin: 496 columns from x 102, 216 rows up from y 643.
constexpr int kLeft = 102, kBottom = 643, kColumns = 496, kRows = 216;
constexpr double kSilent = -1000.0;

std::uint32_t Rgb(int r, int g, int b) { return ArgbColor(255, r, g, b).Packed(); }

class SpectrographTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    display = Attach(std::make_unique<SpectrographDisplay>(&plug, kRect));
  }

  // A frame of a size-n transform whose bin k reads levelDb(k) on the display
  // (bin 0 is measured as m / n, the others as 2 m / n). Every phase is near a
  // half turn, so that a phase read as a magnitude would show.
  void AddFrame(int n, const std::function<double(int)>& levelDb) {
    SpectralFrame* frame = frames.Append(n);
    ASSERT_NE(frame, nullptr);
    for (int k = 0; k <= n / 2; ++k) {
      const double db = levelDb(k);
      const double ratio = db == kSilent ? 0.0 : std::pow(10.0, db / 20.0);
      frame->Set(k, ratio * (k == 0 ? n : n / 2.0), 3.14159);
    }
  }
  void AddFrames(int count, int n, double levelDb) {
    for (int f = 0; f < count; ++f) AddFrame(n, [=](int) { return levelDb; });
  }
  void Attach(const FftBufferList* source) {
    display->frameSource = source;
    display->RebuildRowMap();
    display->MarkDirty(false);
  }
  using EditorTest::Attach;

  // Pixel of column c, row j from the bottom.
  std::uint32_t At(int c, int j) { return Pixel(kLeft + c, kBottom - j); }
  // Brightness of a column's bottom row, which is all red there.
  int BottomRed(int c) { return canvas->GetPixel(kLeft + c, kBottom).R; }

  SpectrographDisplay* display = nullptr;
  FftBufferList frames;
};

TEST_F(SpectrographTest, WithoutFramesTheWholeRectangleIsBlack) {
  const FftBufferList* sources[] = {nullptr, &frames};  // none, then no frames in it
  for (const FftBufferList* source : sources) {
    Attach(source);
    DrawAll();
    for (auto p : {std::pair<int, int>{100, 425},
                   {600, 425},
                   {100, 645},
                   {600, 645},
                   {350, 535},
                   {101, 426}})
      EXPECT_EQ(Pixel(p.first, p.second), colors::kBlack.Packed()) << p.first << "," << p.second;
    EXPECT_EQ(Pixel(99, 500), kBackdrop);
    EXPECT_EQ(Pixel(601, 500), kBackdrop);
    EXPECT_EQ(Pixel(300, 424), kBackdrop);
    EXPECT_EQ(Pixel(300, 646), kBackdrop);
  }
}

TEST_F(SpectrographTest, SilenceIsBlackInsideTheMarginAndTheOutlineGray) {
  AddFrames(3, 64, kSilent);
  Attach(&frames);
  DrawAll();
  for (int c = 0; c < kColumns; ++c)
    for (int j = 0; j < kRows; ++j) ASSERT_EQ(At(c, j), colors::kBlack.Packed()) << c << "," << j;
  for (auto p : {std::pair<int, int>{100, 500}, {600, 500}, {300, 425}, {300, 645}})
    EXPECT_EQ(Pixel(p.first, p.second), colors::kGray.Packed()) << p.first << "," << p.second;
  // Between the outline and the picture nothing is drawn.
  for (auto p :
       {std::pair<int, int>{101, 500}, {598, 500}, {599, 500}, {300, 426}, {300, 427}, {300, 644}})
    EXPECT_EQ(Pixel(p.first, p.second), kBackdrop) << p.first << "," << p.second;
}

TEST_F(SpectrographTest, HueFollowsTheRowAndBrightnessTheLevel) {
  AddFrames(2, 4096, -48.0);  // w = 1 - 48 / 96, v = int(127.5)
  Attach(&frames);
  DrawAll();
  // Row 0: sector 0, t 0: (v, 128 v / 256, 127 v / 256).
  EXPECT_EQ(At(0, 0), Rgb(127, 63, 63));
  // Row 50: D = int(50 / 216 x 212) x 6 = 294, sector 1, t 38: (237 v / 256, v, q).
  EXPECT_EQ(At(0, 50), Rgb(117, 127, 63));
  // Row 100: D = 588, sector 2, t 76: (q, v, 166 v / 256).
  EXPECT_EQ(At(7, 100), Rgb(63, 127, 82));
  // Row 150: D = 882, sector 3, t 114: (q, 198 v / 256, v).
  EXPECT_EQ(At(300, 150), Rgb(63, 98, 127));
  // Row 200: D = 1176, sector 4, t 152: (204 v / 256, q, v).
  EXPECT_EQ(At(495, 200), Rgb(101, 63, 127));
}

TEST_F(SpectrographTest, LevelsAboveFullScaleSaturate) {
  AddFrames(1, 4096, 12.0);  // w = 1.125 would make v 286
  Attach(&frames);
  DrawAll();
  EXPECT_EQ(At(0, 0), Rgb(255, 127, 126));
  EXPECT_EQ(At(200, 100), Rgb(126, 255, 165));  // row 100: (q, v, 166 v / 256)
}

TEST_F(SpectrographTest, RowsWithoutBinsRepeatTheRowBelow) {
  // Bins 0 and 1 land in row 0, bin 2 in row 19 (log10 2 / log10 2048 x 216),
  // bin 3 in row 31 and bin 4 in row 39.
  AddFrame(4096, [](int k) { return k <= 1 ? -48.0 : k == 2 ? 0.0 : kSilent; });
  Attach(&frames);
  DrawAll();
  EXPECT_EQ(At(0, 0), Rgb(127, 63, 63));
  // Row 10 has no bin: row 0's brightness with its own hue (t 54).
  EXPECT_EQ(At(0, 10), Rgb(127, 76, 63));
  EXPECT_EQ(At(0, 19), Rgb(255, 181, 126));  // 0 dB, t 108
  EXPECT_EQ(At(0, 25), Rgb(255, 199, 126));  // row 19's brightness, t 144
  EXPECT_EQ(At(0, 31), colors::kBlack.Packed());
  EXPECT_EQ(At(0, 40), colors::kBlack.Packed());
}

TEST_F(SpectrographTest, ColumnsStepThroughTheFrames) {
  // Four frames over 496 columns: each is shown on about 124 columns in turn.
  for (double level : {-12.0, -24.0, -48.0, -72.0}) AddFrames(1, 64, level);
  Attach(&frames);
  DrawAll();
  EXPECT_EQ(BottomRed(0), 223);
  EXPECT_EQ(BottomRed(60), 223);
  EXPECT_EQ(BottomRed(190), 191);
  EXPECT_EQ(BottomRed(310), 127);
  EXPECT_EQ(BottomRed(495), 63);
  for (int j = 0; j < kRows; ++j) ASSERT_EQ(At(10, j), At(11, j)) << j;

  // 992 frames: column c shows frame 2 c, so the odd frames at 0 dB never show.
  frames.Clear();
  for (int f = 0; f < 992; ++f)
    AddFrame(64, [f](int) { return f % 2 != 0 ? 0.0 : f < 496 ? -24.0 : -72.0; });
  Attach(&frames);
  DrawAll();
  for (int c = 0; c < kColumns; ++c) ASSERT_EQ(BottomRed(c), c < 248 ? 191 : 63) << c;
}

TEST_F(SpectrographTest, ThePictureIsKeptUntilTheRowMapIsRebuilt) {
  AddFrames(2, 64, -48.0);
  Attach(&frames);
  DrawAll();
  EXPECT_EQ(BottomRed(0), 127);

  // A new analysis: the redraws in between show the old picture without
  // reading the frames; rebuilding the map shows the new ones.
  frames.Clear();
  AddFrames(2, 64, -12.0);
  display->MarkDirty(false);
  DrawAll();
  EXPECT_EQ(BottomRed(0), 127);
  display->RebuildRowMap();
  DrawAll();
  EXPECT_EQ(BottomRed(0), 223);
}

}  // namespace
}  // namespace editortest
