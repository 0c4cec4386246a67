// The waveform display: columns centred and as bars, the region band, the play
// cursor and the grayed look, by where their pixels land.
#include <utility>

#include "editor/WaveformDisplay.h"
#include "tests/editor/EditorTestSupport.h"

namespace editortest {
namespace {

const PixelRect kMain(100, 40, 600, 110);      // H 70, middle row 75
const PixelRect kContour(100, 222, 600, 272);  // H 50
const ArgbColor kBand(127, 40, 123, 155);

class WaveformTest : public EditorTest {
 protected:
  // The first and last row of column x (within top .. bottom - 1) in the
  // colour, or {-1, -1} when none; the rows between must all have it.
  std::pair<int, int> Span(int x, const PixelRect& rect, const ArgbColor& colour) {
    int first = -1, last = -1, count = 0;
    for (int y = rect.T; y < rect.B; ++y) {
      if (Pixel(x, y) != colour.Packed()) continue;
      if (first < 0) first = y;
      last = y;
      ++count;
    }
    EXPECT_EQ(count, first < 0 ? 0 : last - first + 1) << "column " << x << " is broken";
    return {first, last};
  }
};

TEST_F(WaveformTest, CentredColumnsShowTheirMagnitudeAboutTheMiddle) {
  WaveformDisplay* wave = Attach(std::make_unique<WaveformDisplay>(&plug, kMain));
  ASSERT_EQ(wave->ColumnCount(), 500);
  wave->mode = WaveformDisplay::kCentred;
  wave->frameColor = colors::kGray;
  const double values[] = {0.0, 0.5, -0.5, 1.5, -3.0, 0.02, 0.05, 0.25};
  for (int i = 0; i < 8; ++i) wave->values[10 + i] = values[i];
  DrawAll();

  using Rows = std::pair<int, int>;
  EXPECT_EQ(Span(110, kMain, colors::kWhite), Rows(74, 75));   // silence: a 2-pixel line
  EXPECT_EQ(Span(111, kMain, colors::kWhite), Rows(58, 92));   // 35 rows from 75 - 17
  EXPECT_EQ(Span(112, kMain, colors::kWhite), Rows(58, 92));   // the sign does not matter
  EXPECT_EQ(Span(113, kMain, colors::kWhite), Rows(40, 109));  // beyond 1: full height
  EXPECT_EQ(Span(114, kMain, colors::kWhite), Rows(40, 109));
  EXPECT_EQ(Span(115, kMain, colors::kWhite), Rows(74, 75));  // 1 row is shown as 2
  EXPECT_EQ(Span(116, kMain, colors::kWhite), Rows(74, 76));  // 3 rows from 75 - 1
  EXPECT_EQ(Span(117, kMain, colors::kWhite), Rows(67, 83));  // 17 rows from 75 - 8
  EXPECT_EQ(Pixel(113, 39), kBackdrop);                       // full height stops at the rectangle
  EXPECT_EQ(Pixel(114, 111), kBackdrop);
  EXPECT_EQ(Pixel(118, 60), colors::kBlack.Packed());
  EXPECT_EQ(Pixel(300, 40), colors::kGray.Packed());  // the frame
  EXPECT_EQ(Pixel(600, 60), colors::kGray.Packed());
}

TEST_F(WaveformTest, BarsRiseFromTheBottomAndSilenceDrawsNothing) {
  WaveformDisplay* bars = Attach(std::make_unique<WaveformDisplay>(&plug, kContour));
  bars->waveformColor = colors::kGreen;  // the frame stays white
  const double values[] = {0.0, 0.5, -0.5, 1.5, 0.01, 0.03};
  for (int i = 0; i < 6; ++i) bars->values[20 + i] = values[i];
  DrawAll();

  using Rows = std::pair<int, int>;
  EXPECT_EQ(Span(120, kContour, colors::kGreen), Rows(-1, -1));
  EXPECT_EQ(Pixel(120, 271), colors::kBlack.Packed());
  EXPECT_EQ(Span(121, kContour, colors::kGreen), Rows(247, 271));
  EXPECT_EQ(Span(122, kContour, colors::kGreen), Rows(247, 271));
  EXPECT_EQ(Span(123, kContour, colors::kGreen), Rows(222, 271));  // over the frame's top line
  EXPECT_EQ(Pixel(123, 221), kBackdrop);
  EXPECT_EQ(Span(124, kContour, colors::kGreen), Rows(-1, -1));  // under one row
  EXPECT_EQ(Span(125, kContour, colors::kGreen), Rows(271, 271));
  EXPECT_EQ(Pixel(300, 222), colors::kWhite.Packed());
}

TEST_F(WaveformTest, BandAndCursorLandOnTheirColumnsOnlyWhenInRange) {
  WaveformDisplay* wave = Attach(std::make_unique<WaveformDisplay>(&plug, kMain));
  wave->mode = WaveformDisplay::kCentred;
  wave->bandColor = kBand;
  wave->bandOn = true;
  wave->bandStart = 50;
  wave->bandEnd = 100;
  wave->cursorVisible = true;
  wave->cursorColumn = 20;
  DrawAll();
  // The band is shaded over the background (its alpha is 127 of 255).
  const ArgbColor shaded = canvas->GetPixel(150, 60);
  EXPECT_NEAR(shaded.R, 20, 1);
  EXPECT_NEAR(shaded.G, 62, 1);
  EXPECT_NEAR(shaded.B, 77, 1);
  EXPECT_EQ(Pixel(199, 100), shaded.Packed());
  EXPECT_EQ(Pixel(149, 60), colors::kBlack.Packed());
  EXPECT_EQ(Pixel(200, 60), colors::kBlack.Packed());
  for (int y : {40, 60, 109}) EXPECT_EQ(Pixel(120, y), colors::kRed.Packed()) << y;
  EXPECT_EQ(Pixel(121, 60), colors::kBlack.Packed());
  EXPECT_EQ(Pixel(120, 110), colors::kWhite.Packed());  // the frame's bottom line

  // A band ending before (or at) its start is not drawn; neither is a cursor
  // outside the columns, nor a hidden one.
  for (int end : {49, 50}) {
    wave->bandEnd = end;
    for (int column : {500, -1}) {
      wave->cursorColumn = column;
      DrawAll();
      EXPECT_EQ(Pixel(50 + 100, 60), colors::kBlack.Packed()) << end;
      EXPECT_EQ(Pixel(50 + 99, 60), colors::kBlack.Packed()) << end;
      EXPECT_EQ(Pixel(600, 60), colors::kWhite.Packed()) << column;
      EXPECT_EQ(Pixel(99, 60), kBackdrop) << column;
    }
  }
  wave->cursorColumn = 20;
  wave->cursorVisible = false;
  DrawAll();
  EXPECT_EQ(Pixel(120, 60), colors::kBlack.Packed());
}

TEST_F(WaveformTest, GrayedOutDrawsFrameAndColumnsGrayOverAnUndimmedBackground) {
  WaveformDisplay* wave = Attach(std::make_unique<WaveformDisplay>(&plug, kMain));
  wave->mode = WaveformDisplay::kCentred;
  wave->waveformColor = colors::kGreen;
  wave->values[200] = 0.5;
  wave->cursorVisible = true;
  wave->cursorColumn = 300;
  wave->GrayOut(true);
  DrawAll();
  EXPECT_EQ(Pixel(250, 40), colors::kGray.Packed());
  EXPECT_EQ(Pixel(300, 60), colors::kGray.Packed());
  EXPECT_EQ(Pixel(350, 60), colors::kBlack.Packed());
  EXPECT_EQ(Pixel(400, 60), colors::kRed.Packed());

  wave->GrayOut(false);
  DrawAll();
  EXPECT_EQ(Pixel(250, 40), colors::kWhite.Packed());
  EXPECT_EQ(Pixel(300, 60), colors::kGreen.Packed());
}

}  // namespace
}  // namespace editortest
