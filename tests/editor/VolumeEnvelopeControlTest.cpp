// The volume envelope: which handle a press takes, how far a drag may move it,
// what each release sends the plug-in, restoring the points, and the drawing.
#include <vector>

#include "editor/VolumeEnvelopeControl.h"
#include "tests/editor/EditorTestSupport.h"

namespace editortest {
namespace {

using Env = VolumeEnvelopeControl;

constexpr int kParam = 50;
constexpr std::uint32_t kMarker = 0xFF00FF00u;
const MouseMods kLeft{true};

class EnvelopeTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    marker = SolidImage(12, 12, kMarker);
    envelope =
        Attach(std::make_unique<Env>(&plug, PixelRect(94, 34, 606, 116), kParam, Framed(*marker)));
  }

  // Press at (x, y), drag to (toX, toY), release there.
  void Gesture(int x, int y, int toX, int toY) {
    canvas->MouseDown(x, y, kLeft);
    canvas->MouseDrag(toX, toY, kLeft);
    canvas->MouseUp(toX, toY, kLeft);
  }
  std::vector<double> Points() const {
    return std::vector<double>(envelope->Points(), envelope->Points() + 8);
  }

  std::unique_ptr<PxMemBitmap> marker;
  Env* envelope = nullptr;
};

TEST_F(EnvelopeTest, StartsAtFullVolumeWithHandlesInTheCorners) {
  // Stored as E2, E3, E1, E4.
  EXPECT_EQ(Points(), (std::vector<double>{0, 1, 1, 1, 0, 0, 1, 0}));
  EXPECT_EQ(envelope->Inner(), PixelRect(100, 40, 600, 110));
  EXPECT_EQ(envelope->HandleRect(Env::kE1), PixelRect(94, 104, 106, 116));
  EXPECT_EQ(envelope->HandleRect(Env::kE2), PixelRect(94, 34, 106, 46));
  EXPECT_EQ(envelope->HandleRect(Env::kE3), PixelRect(594, 34, 606, 46));
  EXPECT_EQ(envelope->HandleRect(Env::kE4), PixelRect(594, 104, 606, 116));
}

TEST_F(EnvelopeTest, EveryReleaseFlipsTheValueInsideOneGesture) {
  // A press on no handle moves nothing but still sends the envelope.
  canvas->MouseDown(300, 80, kLeft);
  EXPECT_EQ(envelope->Dragged(), Env::kNone);
  canvas->MouseDrag(320, 90, kLeft);
  canvas->MouseUp(320, 90, kLeft);
  EXPECT_EQ(Points(), (std::vector<double>{0, 1, 1, 1, 0, 0, 1, 0}));
  EXPECT_EQ(envelope->Value(), 1.0);
  Gesture(100, 40, 200, 60);                   // E2
  EXPECT_EQ(envelope->Dragged(), Env::kNone);  // released
  EXPECT_EQ(envelope->Value(), 0.0);
  const std::vector<EditCall> expected{{EditCall::kBegin, kParam, 0}, {EditCall::kSet, kParam, 1.0},
                                       {EditCall::kEnd, kParam, 0},   {EditCall::kBegin, kParam, 0},
                                       {EditCall::kSet, kParam, 0.0}, {EditCall::kEnd, kParam, 0}};
  EXPECT_EQ(plug.calls, expected);
}

TEST_F(EnvelopeTest, DragsStayInTheRectangleAndBetweenTheNeighbours) {
  Gesture(600, 40, 400, 40);  // E3's centre to x 400
  EXPECT_EQ(envelope->HandleRect(Env::kE3), PixelRect(394, 34, 406, 46));
  EXPECT_DOUBLE_EQ(Points()[2], 0.6);  // (394 + 6 - 100) / 500

  // E2 dragged right stops at E3: both at one x, a vertical step.
  canvas->MouseDown(100, 40, kLeft);
  EXPECT_EQ(envelope->Dragged(), Env::kDragE2);
  canvas->MouseDrag(550, 60, kLeft);
  EXPECT_EQ(envelope->HandleRect(Env::kE2), PixelRect(394, 54, 406, 66));
  canvas->MouseUp(550, 60, kLeft);
  EXPECT_DOUBLE_EQ(Points()[0], 0.6);
  EXPECT_DOUBLE_EQ(Points()[1], 50.0 / 70);  // (110 - 54 - 6) / 70

  // E3 cannot go left of E2 now, nor above the rectangle.
  Gesture(400, 40, 100, -30);
  EXPECT_EQ(envelope->HandleRect(Env::kE3), PixelRect(394, 34, 406, 46));

  // The outer handles are held by the rectangle alone.
  Gesture(100, 110, -200, 900);  // E1
  EXPECT_EQ(envelope->HandleRect(Env::kE1), PixelRect(94, 104, 106, 116));
  Gesture(600, 110, 2000, 300);  // E4
  EXPECT_EQ(envelope->HandleRect(Env::kE4), PixelRect(594, 104, 606, 116));
  Gesture(600, 110, 300, 75);  // E4 left stops at E3
  EXPECT_EQ(envelope->HandleRect(Env::kE4), PixelRect(394, 69, 406, 81));
  EXPECT_EQ(Points(), (std::vector<double>{0.6, 50.0 / 70, 0.6, 1, 0, 0, 0.6, 0.5}));
}

TEST_F(EnvelopeTest, OverlappingHandlesArePickedE2E3E4E1) {
  // Points in the stored order E2, E3, E1, E4; those at (0.5, 0.5) share the
  // handle rectangle (344, 69, 356, 81).
  const double m = 0.5;
  const struct {
    double points[8];
    Env::Handle picked;
  } cases[] = {
      {{m, m, m, m, m, m, m, m}, Env::kE2},
      {{0, 1, m, m, m, m, m, m}, Env::kE3},
      {{0, 1, 0, 1, m, m, m, m}, Env::kE4},
      {{1, 1, 1, 1, m, m, 1, 0}, Env::kE1},
  };
  for (const auto& c : cases) {
    envelope->SetPoints(c.points);
    PixelRect before[4];
    for (Env::Handle h : {Env::kE1, Env::kE2, Env::kE3, Env::kE4})
      before[h] = envelope->HandleRect(h);
    Gesture(350, 75, 350, 85);  // 10 pixels down
    for (Env::Handle h : {Env::kE1, Env::kE2, Env::kE3, Env::kE4}) {
      PixelRect expected = before[h];
      if (h == c.picked) expected = PixelRect(344, 79, 356, 91);
      EXPECT_EQ(envelope->HandleRect(h), expected) << "handle " << h << ", picking " << c.picked;
    }
  }
}

TEST_F(EnvelopeTest, SetPointsPlacesTheHandlesAndKeepsThePoints) {
  Gesture(600, 40, 420, 60);    // E3
  Gesture(100, 40, 300, 50);    // E2
  Gesture(100, 110, 250, 90);   // E1
  Gesture(600, 110, 480, 100);  // E4
  EXPECT_EQ(Points(), (std::vector<double>{0.4, 60.0 / 70, 0.64, 50.0 / 70, 0.3, 20.0 / 70, 0.76,
                                           10.0 / 70}));
  Env restored(nullptr, PixelRect(94, 34, 606, 116), kParam, Framed(*marker));
  restored.SetPoints(envelope->Points());
  EXPECT_EQ(std::vector<double>(restored.Points(), restored.Points() + 8), Points());
  for (Env::Handle h : {Env::kE1, Env::kE2, Env::kE3, Env::kE4})
    EXPECT_EQ(restored.HandleRect(h), envelope->HandleRect(h)) << h;

  // Points off the pixel grid stay as given; points outside 0..1 are pinned.
  const double off[8] = {0.25, 0.5, 1.5, -2.0, 0.0, 0.0, 1.0, 0.0};
  restored.SetPoints(off);
  EXPECT_EQ(std::vector<double>(restored.Points(), restored.Points() + 8),
            (std::vector<double>{0.25, 0.5, 1, 0, 0, 0, 1, 0}));
  EXPECT_EQ(restored.HandleRect(Env::kE2), PixelRect(219, 69, 231, 81));  // 100 + 125 - 6
  EXPECT_EQ(restored.HandleRect(Env::kE3), PixelRect(594, 104, 606, 116));
}

TEST_F(EnvelopeTest, DrawsFiveGrayLinesUnderTheMarkers) {
  // E1 at (0.2, 0), E2 and E3 on top, E4 at (0.8, 0): the outer lines and the
  // top one run along rows.
  const double shape[8] = {0, 1, 1, 1, 0.2, 0, 0.8, 0};
  envelope->SetPoints(shape);
  DrawAll();
  const std::uint32_t gray = colors::kGray.Packed();
  EXPECT_EQ(Pixel(150, 110), gray);       // from the lower-left corner to E1
  EXPECT_EQ(Pixel(300, 40), gray);        // E2 to E3
  EXPECT_EQ(Pixel(550, 110), gray);       // from the lower-right corner to E4
  EXPECT_EQ(Pixel(100, 75), kBackdrop);   // no line up the left edge any more
  EXPECT_EQ(Pixel(350, 110), kBackdrop);  // nor from E1 to E4
  EXPECT_EQ(Pixel(150, 111), kBackdrop);
  EXPECT_EQ(Pixel(300, 41), kBackdrop);
  // E1 to E2 and E3 to E4 run diagonally through their middles.
  EXPECT_TRUE(Pixel(150, 75) == gray || Pixel(150, 74) == gray || Pixel(150, 76) == gray);
  EXPECT_TRUE(Pixel(550, 75) == gray || Pixel(550, 74) == gray || Pixel(550, 76) == gray);
  // Markers cover the handles, over the lines' ends.
  for (auto p : {std::pair<int, int>{194, 104},
                 {205, 115},
                 {200, 110},
                 {494, 104},
                 {505, 115},
                 {94, 34},
                 {105, 45},
                 {100, 40},
                 {605, 45}})
    EXPECT_EQ(Pixel(p.first, p.second), kMarker) << p.first << "," << p.second;
  EXPECT_EQ(Pixel(605, 115), kBackdrop);
  EXPECT_EQ(Pixel(106, 35), kBackdrop);
}

}  // namespace
}  // namespace editortest
