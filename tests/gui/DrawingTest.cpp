// What the canvas draws: clipping, grayed weight, skin images from the
// module's resources, a scene against a committed golden image, the picture
// written as a window shows it, and text by where its pixels fall.
#include <functional>
#include <vector>

#include "gui/IBitmapWidget.h"
#include "gui/IFaderWidget.h"
#include "gui/ISwitchWidget.h"
#include "gui/ITextWidget.h"
#include "raster/PngDecoder.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/GoldenImage.h"

namespace guitest {
namespace {

std::uint32_t Pixel(ICanvas& canvas, int x, int y) { return canvas.GetPixel(x, y).Packed(); }

// A control drawing whatever the test asks, inside a draw.
class Painter : public IWidget {
 public:
  Painter(IEffectBase* plug, const PixelRect& rect, std::function<void(ICanvas&)> paint)
      : IWidget(plug, rect), paint(std::move(paint)) {}
  bool Draw(ICanvas& graphics) override {
    paint(graphics);
    return true;
  }
  std::function<void(ICanvas&)> paint;
};

TEST_F(GuiTest, BitmapsClipToTheDrawRectangleWithTheSourceMoved) {
  auto image = std::make_unique<PxMemBitmap>(10, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) image->Row(y)[x] = 0xFF000000u | (y << 8) | x;
  const FrameBitmap framed = Framed(*image, 1);
  Attach(std::make_unique<Painter>(&plug, PixelRect(0, 0, 200, 100), [&](ICanvas& c) {
    c.FillRect(colors::kBlack, PixelRect(0, 0, 200, 100), BlendSpec(BlendSpec::kClobber, 1));
    c.DrawBitmap(framed, PixelRect(45, 45, 55, 55), 0, 0, BlendSpec());   // half outside
    c.DrawBitmap(framed, PixelRect(150, 0, 160, 10), 0, 0, BlendSpec());  // all outside
  }));
  canvas->Draw(PixelRect(50, 50, 100, 100));
  EXPECT_EQ(Pixel(*canvas, 50, 50), 0xFF000505u);  // source (5, 5)
  EXPECT_EQ(Pixel(*canvas, 54, 54), 0xFF000909u);
  EXPECT_EQ(Pixel(*canvas, 49, 50) & 0xFFFFFF, 0u);  // outside the draw rectangle
  EXPECT_EQ(Pixel(*canvas, 155, 5) & 0xFFFFFF, 0u);
}

TEST_F(GuiTest, GrayedControlsDrawAtAQuarterAndLinesClampToTheBitmap) {
  auto white = FramesImage(20, 20, {0xFFFFFFFFu});
  Attach(std::make_unique<Painter>(&plug, PixelRect(0, 0, 200, 100), [](ICanvas& c) {
    c.FillRect(ArgbColor(255, 0, 0, 0), PixelRect(0, 0, 200, 100),
               BlendSpec(BlendSpec::kClobber, 1));
  }));
  IBitmapWidget* grayed = Attach(
      std::make_unique<IBitmapWidget>(&plug, PixelRect(10, 10, 30, 30), -1, Framed(*white, 1)));
  grayed->GrayOut(true);
  Attach(std::make_unique<Painter>(&plug, PixelRect(0, 0, 200, 100), [](ICanvas& c) {
    c.DrawHorizontalLine(colors::kRed, 99, 150, 500);  // past the right edge
    c.DrawVerticalLine(colors::kGreen, -5, 40, 60);    // x clamped to 0
    c.DrawRect(colors::kBlue, PixelRect(100, 20, 120, 40));
    c.FillRect(ArgbColor(0, 255, 255, 255), PixelRect(60, 60, 80, 80), BlendSpec());  // alpha 0
  }));
  canvas->Draw(PixelRect(0, 0, 200, 100));
  // k = 64 x 256 / 256: 255 + (0 - 255) x 192 / 256 = 64 per channel.
  EXPECT_EQ(Pixel(*canvas, 15, 15) & 0xFFFFFF, 0x404040u);
  EXPECT_EQ(Pixel(*canvas, 199, 99), colors::kRed.Packed());
  EXPECT_EQ(Pixel(*canvas, 150, 99), colors::kRed.Packed());
  EXPECT_EQ(Pixel(*canvas, 0, 40), colors::kGreen.Packed());
  EXPECT_EQ(Pixel(*canvas, 0, 60), colors::kGreen.Packed());
  EXPECT_EQ(Pixel(*canvas, 0, 61) & 0xFFFFFF, 0u);
  for (auto point : {std::pair<int, int>{100, 20}, {120, 20}, {100, 40}, {120, 40}, {110, 40}})
    EXPECT_EQ(Pixel(*canvas, point.first, point.second), colors::kBlue.Packed());
  EXPECT_EQ(Pixel(*canvas, 110, 30) & 0xFFFFFF, 0u);
  EXPECT_EQ(Pixel(*canvas, 70, 70) & 0xFFFFFF, 0u);
}

TEST_F(GuiTest, SkinImagesLoadOnceFromTheResources) {
  const FrameBitmap background = canvas->LoadBitmap(100, "img/Stretch-bg.png");
  ASSERT_NE(background.bitmap, nullptr);
  EXPECT_EQ(background.W, 720);
  EXPECT_EQ(background.H, 650);
  const FrameBitmap knob = canvas->LoadBitmap(108, "img/plain-knob.png", 101);
  EXPECT_EQ(knob.FrameHeight(), 32);
  // Keyed by id alone: another name gets the first image.
  EXPECT_EQ(canvas->LoadBitmap(100, "other.PNG").bitmap, background.bitmap);
  TestCanvas second(&plug, 10, 10);
  EXPECT_EQ(second.LoadBitmap(108, "x.png").bitmap, knob.bitmap);
  EXPECT_EQ(canvas->LoadBitmap(109, "img/none.png").bitmap, nullptr);
  EXPECT_EQ(canvas->LoadBitmap(101, "img/load-file-button.bmp").bitmap, nullptr);

  canvas->AttachBackground(100, "img/Stretch-bg.png");
  ASSERT_EQ(canvas->ControlCount(), 1);
  EXPECT_EQ(canvas->Control(0)->DrawRect(), PixelRect(0, 0, 720, 650));
  EXPECT_EQ(canvas->Control(0)->Blend().method, BlendSpec::kClobber);
}

// Regenerate on purpose with DILATORIX_UPDATE_GOLDEN=1 (see the README).
TEST_F(GuiTest, SceneMatchesTheGoldenImage) {
  auto backdrop = std::make_unique<PxMemBitmap>(200, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
      backdrop->Row(y)[x] = 0xFF000000u | (x * 255 / 199) << 16 | (y * 255 / 99) << 8 | 0x40;
  auto lamp = std::make_unique<PxMemBitmap>(14, 28);
  for (int y = 0; y < 28; ++y)
    for (int x = 0; x < 14; ++x) {
      const int dx = x - 7, dy = y % 14 - 7;
      const bool inside = dx * dx + dy * dy <= 36;
      const std::uint32_t on = y >= 14 ? 0x00FFD040u : 0x00402010u;
      lamp->Row(y)[x] =
          inside ? 0xFF000000u | on : (dx * dx + dy * dy <= 49 ? 0x80000000u | on : 0);
    }
  auto handle = FramesImage(12, 16, {0xC0E0E0E0u});

  Attach(std::make_unique<IBitmapWidget>(&plug, PixelRect(0, 0, 200, 100), -1, Framed(*backdrop, 1),
                                         BlendSpec(BlendSpec::kClobber, 1)));
  Attach(std::make_unique<ISwitchWidget>(&plug, 10, 10, 2, Framed(*lamp, 2)));
  ISwitchWidget* on = Attach(std::make_unique<ISwitchWidget>(&plug, 30, 10, 3, Framed(*lamp, 2)));
  on->SetValueFromHost(1.0);
  IFaderWidget* fader =
      Attach(std::make_unique<IFaderWidget>(&plug, 10, 40, 120, 0, Framed(*handle, 1)));
  fader->SetValueFromHost(0.3);
  IBitmapWidget* grayed =
      Attach(std::make_unique<IBitmapWidget>(&plug, 50, 10, -1, Framed(*lamp, 2)));
  grayed->GrayOut(true);
  Attach(std::make_unique<Painter>(&plug, PixelRect(0, 0, 200, 100), [](ICanvas& c) {
    c.FillRect(ArgbColor(128, 0, 0, 255), PixelRect(140, 10, 190, 50), BlendSpec());
    c.DrawRect(colors::kGray, PixelRect(140, 60, 190, 90));
    c.DrawLine(colors::kWhite, 145, 85, 185, 65, BlendSpec(), false);
    c.DrawLine(colors::kYellow, -20, 95, 250, 70, BlendSpec(), false);
  }));
  canvas->Draw(PixelRect(0, 0, 200, 100));
  ExpectMatchesGolden(*canvas, 200, 100,
                      std::string(DILATORIX_SOURCE_DIR) + "/tests/gui/golden/scene.png");
}

// A blend leaves partial alpha in the draw bitmap, which the screen copy
// ignores: the written picture is opaque, in the colours drawn.
TEST_F(GuiTest, PicturesAreWrittenOpaqueAsAWindowShowsThem) {
  Attach(std::make_unique<Painter>(&plug, PixelRect(0, 0, 200, 100), [](ICanvas& c) {
    c.FillRect(colors::kBlack, PixelRect(0, 0, 200, 100), BlendSpec(BlendSpec::kClobber, 1));
    c.FillRect(ArgbColor(127, 40, 123, 155), PixelRect(20, 20, 60, 60), BlendSpec());
  }));
  canvas->Draw(PixelRect(0, 0, 200, 100));
  const ArgbColor drawn = canvas->GetPixel(30, 30);
  ASSERT_LT(drawn.A, 255);
  ASSERT_GT(drawn.B, 0);

  const std::string path = ::testing::TempDir() + "opaque.png";
  ASSERT_TRUE(canvas->WritePng(path));
  std::unique_ptr<PxMemBitmap> written = DecodePngFile(path, true);
  ASSERT_NE(written, nullptr);
  std::vector<unsigned char> encoded;
  ASSERT_TRUE(canvas->EncodePng(&encoded));
  std::unique_ptr<PxMemBitmap> inMemory = DecodePng(encoded.data(), encoded.size());
  ASSERT_NE(inMemory, nullptr);
  for (PxMemBitmap* picture : {written.get(), inMemory.get()}) {
    EXPECT_EQ(picture->Row(30)[30], drawn.Packed() | 0xFF000000u);
    EXPECT_EQ(picture->Row(5)[5], 0xFF000000u);
  }
}

// Ink is any pixel that is no longer the black background.
struct Ink {
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
  bool foreignColour = false;
};

Ink FindInk(ICanvas& canvas, int w, int h, const ArgbColor& colour) {
  Ink ink;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const ArgbColor p = canvas.GetPixel(x, y);
      if (p.R == 0 && p.G == 0 && p.B == 0) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
      // Coverage blends the colour over black: no channel can pass the colour's.
      if (p.R > colour.R || p.G > colour.G || p.B > colour.B) ink.foreignColour = true;
    }
  return ink;
}

TEST_F(GuiTest, TextLandsAlignedAtTheTopInItsColour) {
  const ArgbColor orange(255, 240, 163, 77);
  for (int align : {TextStyle::kLeft, TextStyle::kCentre, TextStyle::kRight}) {
    TestCanvas c(&plug, 300, 60);
    c.PrepareDraw();
    c.AttachControl(std::make_unique<Painter>(&plug, PixelRect(0, 0, 300, 60), [](ICanvas& g) {
      g.FillRect(colors::kBlack, PixelRect(0, 0, 300, 60), BlendSpec(BlendSpec::kClobber, 1));
    }));
    TextStyle style;
    style.size = 20;
    style.color = orange;
    style.align = align;
    auto text = std::make_unique<ITextWidget>(&plug, PixelRect(50, 20, 250, 36), style, "HHHH");
    c.AttachControl(std::move(text));
    c.Draw(PixelRect(0, 0, 300, 60));
    ASSERT_TRUE(c.FontError().empty()) << c.FontError();
    const Ink ink = FindInk(c, 300, 60, orange);
    ASSERT_GE(ink.right, 0) << "no text drawn";
    EXPECT_FALSE(ink.foreignColour);
    EXPECT_GE(ink.top, 20);      // the line box starts at the top
    EXPECT_LE(ink.top, 20 + 8);  // capitals begin a little below it
    EXPECT_GT(ink.bottom, ink.top + 8);
    const int centre = (ink.left + ink.right) / 2;
    const int expected = align == TextStyle::kLeft ? 50 : align == TextStyle::kCentre ? 150 : 249;
    const int measured = align == TextStyle::kLeft     ? ink.left
                         : align == TextStyle::kCentre ? centre
                                                       : ink.right;
    EXPECT_NEAR(measured, expected, 3) << align;
  }
}

// A redraw of part of a text control draws its background again only inside
// that part: the text must stay inside it too, or the glyphs beyond it blend
// over their own earlier pixels and thicken at every tick.
TEST_F(GuiTest, TextStaysInsideThePartRedrawn) {
  auto backdrop = FramesImage(200, 100, {0xFF101418u});
  Attach(std::make_unique<IBitmapWidget>(&plug, PixelRect(0, 0, 200, 100), -1, Framed(*backdrop, 1),
                                         BlendSpec(BlendSpec::kClobber, 1)));
  TextStyle style;
  style.size = 14;
  style.color = colors::kWhite;
  Attach(std::make_unique<ITextWidget>(&plug, PixelRect(20, 40, 180, 56), style, "300.0 ms"));
  canvas->Draw(PixelRect(0, 0, 200, 100));
  ASSERT_TRUE(canvas->FontError().empty()) << canvas->FontError();
  std::vector<std::uint32_t> whole;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) whole.push_back(Pixel(*canvas, x, y));

  for (int tick = 0; tick < 5; ++tick) canvas->Draw(PixelRect(0, 0, 50, 100));
  int changed = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) changed += Pixel(*canvas, x, y) != whole[y * 200 + x];
  EXPECT_EQ(changed, 0);
}

}  // namespace
}  // namespace guitest
