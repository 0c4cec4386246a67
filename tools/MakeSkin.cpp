// Paints the editor's skin images and writes them as PNG files into a folder
// (the committed img/ folder): dilatorix-make-skin img. Deterministic; every
// shape is drawn here (4 x 4 supersampled coverage, composited with straight
// alpha), captions in the system's Liberation Sans. Strips stack their frames
// vertically; two-frame switches are off, then on.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "gui/TextRenderer.h"
#include "raster/PngWriter.h"

namespace {

const double kPi = std::acos(-1.0);

struct Image {
  int w, h;
  std::vector<std::uint32_t> px;
  Image(int width, int height, std::uint32_t fill = 0)
      : w(width), h(height), px(static_cast<std::size_t>(width) * height, fill) {}
  std::uint32_t& At(int x, int y) { return px[static_cast<std::size_t>(y) * w + x]; }

  // Colour c (its own alpha scaled by cover, 0..1) over the pixel at (x, y).
  void Blend(int x, int y, std::uint32_t c, double cover) {
    if (x < 0 || y < 0 || x >= w || y >= h || cover <= 0) return;
    std::uint32_t& d = At(x, y);
    const double sa = (c >> 24) / 255.0 * std::min(cover, 1.0), da = (d >> 24) / 255.0;
    const double oa = sa + da * (1 - sa);
    if (oa <= 0) return;
    std::uint32_t out = static_cast<std::uint32_t>(std::lround(oa * 255)) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
      const double s = (c >> shift & 255), t = (d >> shift & 255);
      out |= static_cast<std::uint32_t>(std::lround((s * sa + t * da * (1 - sa)) / oa)) << shift;
    }
    d = out;
  }
  // Any shape given by inside(x, y) in pixel coordinates, within [x0, x1) x [y0, y1).
  template <class Inside>
  void Paint(int x0, int y0, int x1, int y1, std::uint32_t c, Inside inside) {
    for (int y = std::max(y0, 0); y < std::min(y1, h); ++y)
      for (int x = std::max(x0, 0); x < std::min(x1, w); ++x) {
        int hits = 0;
        for (int sy = 0; sy < 4; ++sy)
          for (int sx = 0; sx < 4; ++sx) hits += inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
        Blend(x, y, c, hits / 16.0);
      }
  }
  void Fill(int x0, int y0, int x1, int y1, std::uint32_t c) {
    for (int y = std::max(y0, 0); y < std::min(y1, h); ++y)
      for (int x = std::max(x0, 0); x < std::min(x1, w); ++x) Blend(x, y, c, 1);
  }
  void Frame(int x0, int y0, int x1, int y1, std::uint32_t c) {
    Fill(x0, y0, x1, y0 + 1, c);
    Fill(x0, y1 - 1, x1, y1, c);
    Fill(x0, y0 + 1, x0 + 1, y1 - 1, c);
    Fill(x1 - 1, y0 + 1, x1, y1 - 1, c);
  }
  void Disc(double cx, double cy, double r, std::uint32_t c) {
    Paint(static_cast<int>(cx - r) - 1, static_cast<int>(cy - r) - 1, static_cast<int>(cx + r) + 2,
          static_cast<int>(cy + r) + 2, c,
          [=](double x, double y) { return std::hypot(x - cx, y - cy) <= r; });
  }
  void Ring(double cx, double cy, double inner, double outer, std::uint32_t c) {
    Paint(0, 0, w, h, c, [=](double x, double y) {
      const double d = std::hypot(x - cx, y - cy);
      return d >= inner && d <= outer;
    });
  }
  // A rectangle with corners rounded to radius r.
  void Rounded(double x0, double y0, double x1, double y1, double r, std::uint32_t c) {
    Paint(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1) + 1,
          static_cast<int>(y1) + 1, c, [=](double x, double y) {
            const double dx = std::max({x0 + r - x, 0.0, x - (x1 - r)});
            const double dy = std::max({y0 + r - y, 0.0, y - (y1 - r)});
            return x >= x0 && x <= x1 && y >= y0 && y <= y1 && dx * dx + dy * dy <= r * r;
          });
  }
  // A stroke of half-width r from (ax, ay) to (bx, by), with round ends.
  void Line(double ax, double ay, double bx, double by, double r, std::uint32_t c) {
    const double vx = bx - ax, vy = by - ay, length2 = vx * vx + vy * vy;
    Paint(0, 0, w, h, c, [=](double x, double y) {
      const double t = std::clamp(((x - ax) * vx + (y - ay) * vy) / length2, 0.0, 1.0);
      return std::hypot(x - ax - t * vx, y - ay - t * vy) <= r;
    });
  }
  // Copies a whole image in as frame `index` of a vertical strip.
  void PutFrame(const Image& frame, int index) {
    std::copy(frame.px.begin(), frame.px.end(), px.begin() + frame.px.size() * index);
  }
  bool Save(const std::string& path) const { return WritePng(px.data(), w, h, w, path); }
};

const std::uint32_t kAmber = 0xFFF0A34Du, kText = 0xFFC8CAD2u, kDim = 0xFF8A8E9Au;
const std::uint32_t kWell = 0xFF0B0C0Fu, kEdge = 0xFF474B57u, kPanel = 0xFF2A2D35u;
const std::uint32_t kUnlit = 0xFF34363Eu;

TextRenderer text;

void Caption(Image& image, int x, int y, int width, const char* words, int align = TextStyle::kLeft,
             int size = 12, std::uint32_t colour = kText) {
  TextStyle style;
  style.size = size;
  style.color = ArgbColor::Unpacked(colour);
  style.align = align;
  text.Draw(image.px.data(), image.w, image.h, image.w, style, words,
            PixelRect(x, y, x + width, y + size));
}

void Title(Image& image, int x, int y, const char* words) {
  Caption(image, x, y, 200, words, TextStyle::kLeft, 13, kAmber);
}

// A sunken area: a display, a readout or a text field.
void Well(Image& bg, int l, int t, int r, int b) {
  bg.Fill(l - 1, t - 1, r + 1, b + 1, 0xFF15161Au);
  bg.Fill(l - 1, b, r + 1, b + 1, kEdge);
  bg.Fill(l, t, r, b, kWell);
}

// A fader's groove along the middle of its rectangle.
void Groove(Image& bg, int l, int r, int yMid) {
  bg.Rounded(l + 0.5, yMid - 2.5, r - 0.5, yMid + 2.5, 2.5, 0xFF08090Bu);
  bg.Fill(l + 3, yMid + 3, r - 3, yMid + 4, 0xFF3C404Au);
}

void Section(Image& bg, int l, int t, int r, int b) {
  bg.Rounded(l, t, r, b, 6, 0xFF3A3E48u);
  bg.Rounded(l + 1, t + 1, r - 1, b - 1, 5, kPanel);
}

Image Background() {
  Image bg(720, 650);
  for (int y = 0; y < 650; ++y) {  // a faint vertical shade, lighter at the top
    const std::uint32_t lift = static_cast<std::uint32_t>((650 - y) / 50);
    for (int x = 0; x < 720; ++x)
      bg.At(x, y) = 0xFF000000u | (0x1A + lift) << 16 | (0x1C + lift) << 8 | (0x21 + lift);
  }
  // Clip, region and file name.
  Groove(bg, 100, 600, 18);
  Groove(bg, 100, 600, 32);
  Well(bg, 100, 40, 600, 110);
  Well(bg, 100, 118, 500, 134);
  Caption(bg, 644, 21, 60, "Meters", TextStyle::kLeft, 11);
  Caption(bg, 12, 63, 30, "Load", TextStyle::kCentre, 11);
  // Playback rate: two faders with the rate meter between them, and readouts.
  Title(bg, 120, 136, "Playback Rate");
  Caption(bg, 544, 137, 80, "Extreme");
  Section(bg, 6, 150, 714, 211);
  Groove(bg, 120, 520, 164);
  Groove(bg, 120, 520, 194);
  bg.Fill(120, 175, 520, 183, 0xFF121318u);  // the needle strip
  for (int x = 120; x <= 520; x += 40) bg.Fill(x, 181, x + 1, 183, kDim);
  Well(bg, 560, 156, 640, 172);
  Well(bg, 560, 186, 640, 202);
  Caption(bg, 20, 158, 90, "Nominal");
  Caption(bg, 52, 188, 64, "Transient");
  // Transient contour, algorithm, direction, wander.
  Well(bg, 100, 222, 600, 272);
  Caption(bg, 37, 270, 64, "Contour", TextStyle::kCentre, 11);
  Well(bg, 154, 279, 234, 295);
  Caption(bg, 100, 281, 50, "Algo", TextStyle::kRight);
  Well(bg, 260, 300, 340, 316);
  Caption(bg, 200, 302, 56, "Dir", TextStyle::kRight);
  Caption(bg, 410, 295, 70, "Wander");
  // Blur amount: nominal and transient faders, clear at the left, blurred at the right.
  Title(bg, 20, 318, "Blur Amount");
  Caption(bg, 188, 316, 40, "Pure");
  Section(bg, 6, 337, 714, 399);
  Groove(bg, 120, 520, 352);
  Groove(bg, 120, 520, 382);
  Well(bg, 560, 344, 640, 360);
  Well(bg, 560, 374, 640, 390);
  Caption(bg, 20, 346, 90, "Nominal");
  Caption(bg, 52, 376, 64, "Transient");
  Caption(bg, 120, 404, 60, "Clear", TextStyle::kLeft, 11, kDim);
  Caption(bg, 460, 404, 60, "Blurred", TextStyle::kRight, 11, kDim);
  // Pitch, the XY pad and the spectrograph.
  Caption(bg, 10, 455, 64, "Pitch", TextStyle::kCentre);
  bg.Frame(9, 499, 91, 581, kEdge);
  Well(bg, 100, 425, 600, 645);
  return bg;
}

// A round lamp, dark when off.
Image Lamp(std::uint32_t off, std::uint32_t on) {
  Image strip(14, 28);
  for (int f = 0; f < 2; ++f) {
    Image lamp(14, 14);
    const std::uint32_t c = f == 0 ? off : on;
    lamp.Disc(7, 7, 6.6, 0xFF15161Au);
    lamp.Disc(7, 7, 5.2, c);
    if (c != kUnlit) lamp.Disc(5.6, 5.4, 1.8, 0x70FFFFFFu);  // a gleam on the lit frame
    strip.PutFrame(lamp, f);
  }
  return strip;
}

// A small toggle: the knob sits left when off, right (and lit) when on.
Image Toggle() {
  Image strip(14, 28);
  for (int f = 0; f < 2; ++f) {
    Image toggle(14, 14);
    toggle.Rounded(0.5, 3, 13.5, 11, 4, f == 0 ? 0xFF15161Au : 0xFF2F8F4Au);
    toggle.Disc(f == 0 ? 4.5 : 9.5, 7, 3.2, f == 0 ? 0xFF80848Eu : 0xFF7CF09Cu);
    strip.PutFrame(toggle, f);
  }
  return strip;
}

Image Knob() {
  Image strip(32, 32 * 101);
  for (int f = 0; f < 101; ++f) {
    Image knob(32, 32);
    knob.Disc(16, 16.6, 15.2, 0x80000000u);  // shadow
    knob.Disc(16, 16, 15, 0xFF2E3038u);
    knob.Disc(16, 16, 12.5, 0xFF50535Du);
    knob.Disc(15, 14.8, 9, 0x18FFFFFFu);  // a soft highlight
    const double angle = (-135.0 + 270.0 * f / 100) * kPi / 180;
    const double dx = std::sin(angle), dy = -std::cos(angle);
    knob.Line(16 + 4 * dx, 16 + 4 * dy, 16 + 12 * dx, 16 + 12 * dy, 1.4, kAmber);
    strip.PutFrame(knob, f);
  }
  return strip;
}

Image ProgressBar() {
  Image strip(100, 40 * 101);
  char label[16];
  for (int f = 0; f < 101; ++f) {
    Image bar(100, 40);
    bar.Rounded(0, 0, 100, 40, 5, 0xFF50545Eu);
    bar.Rounded(1, 1, 99, 39, 4, 0xFF16171Cu);
    bar.Rounded(6, 25, 94, 33, 2, 0xFF30333Bu);
    if (f > 0) bar.Rounded(6, 25, 6 + 88.0 * f / 100, 33, 2, kAmber);
    std::snprintf(label, sizeof label, "%d%%", f);
    Caption(bar, 0, 6, 100, label, TextStyle::kCentre, 12);
    strip.PutFrame(bar, f);
  }
  return strip;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dilatorix-make-skin FOLDER\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  bool ok = true;
  auto save = [&](const Image& image, const char* name) {
    if (!image.Save(dir + name)) {
      std::fprintf(stderr, "dilatorix-make-skin: cannot write %s%s\n", dir.c_str(), name);
      ok = false;
    }
  };

  save(Background(), "Stretch-bg.png");

  Image load(30, 40);
  for (int f = 0; f < 2; ++f) {
    Image button(30, 20);
    button.Rounded(0, 0, 30, 20, 4, 0xFF15161Au);
    button.Rounded(1, 1, 29, 19, 3, f == 0 ? 0xFF454954u : 0xFF6A5030u);
    const std::uint32_t icon = f == 0 ? kText : kAmber;  // a folder
    button.Rounded(8, 6, 15, 9, 1, icon);
    button.Rounded(8, 8, 22, 15, 1, icon);
    load.PutFrame(button, f);
  }
  save(load, "load-file-button.png");

  Image eye(24, 24);
  eye.Disc(12, 12.6, 11.2, 0x70000000u);
  eye.Disc(12, 12, 11, 0xFFC4C7D0u);
  eye.Ring(12, 12, 8.5, 9.5, 0xFF8A8E9Au);
  eye.Disc(12, 12, 5, 0xFF1A1C21u);
  eye.Disc(10.5, 10.5, 1.6, 0xC0FFFFFFu);
  save(eye, "horiz-fader-handle-eye.png");

  save(Toggle(), "on-off-14x14.png");

  Image range(12, 16);  // a tab with a point at the bottom, toward the waveform
  range.Paint(0, 0, 12, 16, 0xFFDADCE4u, [](double x, double y) {
    return x >= 1 && x <= 11 && y >= 1 && (y <= 9 || y - 9 <= 6 - std::abs(x - 6) * 1.2);
  });
  range.Fill(4, 3, 8, 4, 0xFF70747Eu);
  range.Fill(4, 5, 8, 6, 0xFF70747Eu);
  save(range, "range-fader-handle.png");

  Image listen(24, 48);
  for (int f = 0; f < 2; ++f) {
    Image button(24, 24);
    button.Disc(12, 12, 11.6, 0xFF15161Au);
    button.Disc(12, 12, 10.4, f == 0 ? 0xFF454954u : 0xFF3F8FE0u);
    button.Paint(0, 0, 24, 24, f == 0 ? kText : 0xFFFFFFFFu, [](double x, double y) {
      return x >= 9 && x <= 17.5 && std::abs(y - 12) <= (17.5 - x) * 0.6;  // play
    });
    listen.PutFrame(button, f);
  }
  save(listen, "listen-button.png");

  save(ProgressBar(), "progress-bar.png");

  Image needle(400, 8 * 400);
  for (int f = 0; f < 400; ++f) {
    Image frame(400, 8);
    frame.Paint(f - 4, 0, f + 5, 8, 0xFFFF5A3Cu, [f](double x, double y) {
      return std::abs(x - (f + 0.5)) <= 0.9 + std::max(0.0, 3.0 - y) * 0.8;  // a nail, head up
    });
    needle.PutFrame(frame, f);
  }
  save(needle, "rate-meter-needle.png");

  save(Knob(), "plain-knob.png");

  Image pad(80, 80);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x)
      pad.At(x, y) = 0xFF000000u | static_cast<std::uint32_t>(0x14 + (79 - y) / 5) << 16 |
                     static_cast<std::uint32_t>(0x38 + x / 3) << 8 | 0xB4;
  for (int g = 20; g < 80; g += 20) {
    pad.Fill(g, 1, g + 1, 79, 0x30FFFFFFu);
    pad.Fill(1, g, 79, g + 1, 0x30FFFFFFu);
  }
  pad.Frame(0, 0, 80, 80, 0xFF9CC4FFu);
  save(pad, "X-Y-pad-blue.png");

  Image ring(12, 12);
  ring.Ring(6, 6, 2.6, 5.6, 0xFF15161Au);
  ring.Ring(6, 6, 3.2, 5.0, 0xFFFFE070u);
  save(ring, "ring-marker-2.png");

  save(Lamp(kUnlit, kAmber), "enable-disable.png");
  save(Lamp(0xFFF04A36u, kUnlit), "lit-when-false-14x14.png");
  save(Lamp(kUnlit, 0xFF50E070u), "lit-when-true-14x14.png");
  if (!text.FontError().empty()) {  // captions missing: do not let such images pass
    std::fprintf(stderr, "dilatorix-make-skin: %s\n", text.FontError().c_str());
    ok = false;
  }
  return ok ? 0 : 1;
}
