// Paints the editor's skin images and writes them as PNG files into a folder
// (the committed img/ folder): dilatorix-make-skin img. Deterministic; drawn
// here from simple shapes, with captions in the system's Liberation Sans.
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
      : w(width), h(height), px(width * height, fill) {}
  std::uint32_t& At(int x, int y) { return px[static_cast<std::size_t>(y) * w + x]; }
  void Fill(int x0, int y0, int x1, int y1, std::uint32_t c) {
    for (int y = std::max(y0, 0); y < std::min(y1, h); ++y)
      for (int x = std::max(x0, 0); x < std::min(x1, w); ++x) At(x, y) = c;
  }
  void Frame(int x0, int y0, int x1, int y1, std::uint32_t c) {
    Fill(x0, y0, x1, y0 + 1, c);
    Fill(x0, y1 - 1, x1, y1, c);
    Fill(x0, y0, x0 + 1, y1, c);
    Fill(x1 - 1, y0, x1, y1, c);
  }
  // A disc of colour c with a soft one-pixel edge (alpha), centred at (cx, cy).
  void Disc(double cx, double cy, double r, std::uint32_t c) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
        const double cover = std::clamp(r - d + 0.5, 0.0, 1.0);
        if (cover <= 0) continue;
        const auto a = static_cast<std::uint32_t>(cover * (c >> 24));
        std::uint32_t& p = At(x, y);
        if ((p >> 24) <= a) p = a << 24 | (c & 0xFFFFFF);
      }
  }
  bool Save(const std::string& path) const { return WritePng(px.data(), w, h, w, path); }
};

TextRenderer text;

void Caption(Image& image, int x, int y, int width, const char* words, int size = 12,
             std::uint32_t colour = 0xFFC8C8C8u, int align = TextStyle::kLeft) {
  TextStyle style;
  style.size = size;
  style.color = ArgbColor::Unpacked(colour);
  style.align = align;
  text.Draw(image.px.data(), image.w, image.h, image.w, style, words,
            PixelRect(x, y, x + width, y + size));
}

void Groove(Image& bg, int x0, int x1, int yMid) {
  bg.Fill(x0, yMid - 2, x1, yMid + 2, 0xFF0C0C10u);
  bg.Fill(x0, yMid + 2, x1, yMid + 3, 0xFF3A3A44u);
}

Image Background() {
  Image bg(720, 650, 0xFF1E2026u);
  for (int y = 0; y < 650; ++y)  // a faint vertical shade
    for (int x = 0; x < 720; ++x) {
      const int lift = (650 - y) / 40;
      bg.At(x, y) = 0xFF000000u | (0x1E + lift) << 16 | (0x20 + lift) << 8 | (0x26 + lift);
    }
  const std::uint32_t panel = 0xFF0A0A0Cu, edge = 0xFF50505Au;
  bg.Fill(100, 40, 600, 110, panel);   // waveform
  bg.Fill(100, 222, 600, 272, panel);  // contour
  bg.Fill(100, 425, 600, 645, panel);  // spectrograph
  bg.Frame(99, 221, 601, 273, edge);
  bg.Frame(99, 424, 601, 646, edge);
  for (int y : {152 + 12, 182 + 12, 340 + 12, 370 + 12}) Groove(bg, 120, 520, y);
  Groove(bg, 100, 600, 32);
  Groove(bg, 100, 600, 18);
  for (int y : {156, 186, 344, 374}) bg.Fill(556, y - 2, 644, y + 18, 0xFF101014u);
  bg.Fill(120, 175, 520, 183, 0xFF101014u);  // meter strip
  const std::uint32_t title = 0xFFF0A34Du;
  Caption(bg, 608, 4, 60, "Meters", 11);
  Caption(bg, 8, 62, 40, "Load", 11);
  Caption(bg, 120, 132, 200, "Playback Rate", 14, title);
  Caption(bg, 20, 157, 90, "Nominal");
  Caption(bg, 52, 187, 70, "Transient");
  Caption(bg, 544, 134, 80, "Extreme");
  Caption(bg, 20, 232, 30, "Con-", 11);
  Caption(bg, 20, 246, 30, "tour", 11);
  Caption(bg, 112, 280, 40, "Algo");
  Caption(bg, 226, 301, 30, "Dir");
  Caption(bg, 410, 294, 60, "Wander");
  Caption(bg, 20, 316, 140, "Blur Amount", 14, title);
  Caption(bg, 188, 316, 40, "Pure");
  Caption(bg, 84, 345, 34, "Clear", 11);
  Caption(bg, 522, 322, 40, "Blurred", 11);
  Caption(bg, 52, 374, 60, "Same", 11);
  Caption(bg, 20, 456, 50, "Pitch");
  Caption(bg, 10, 584, 80, "Rate / Blur", 11, 0xFFC8C8C8u, TextStyle::kCentre);
  return bg;
}

Image Switch(std::uint32_t off, std::uint32_t on) {
  Image image(14, 28);
  for (int f = 0; f < 2; ++f) {
    Image lamp(14, 14);
    lamp.Disc(7, 7, 6.5, 0xFF2A2A30u);
    lamp.Disc(7, 7, 5, f == 0 ? off : on);
    std::copy(lamp.px.begin(), lamp.px.end(), image.px.begin() + f * 14 * 14);
  }
  return image;
}

Image Knob() {
  Image strip(32, 32 * 101);
  for (int f = 0; f < 101; ++f) {
    Image knob(32, 32);
    knob.Disc(16, 16, 15, 0xFF3C3E46u);
    knob.Disc(16, 16, 12, 0xFF5A5C66u);
    const double angle = (-135.0 + 270.0 * f / 100) * kPi / 180;
    for (double t = 3; t <= 12; t += 0.5)
      knob.Disc(16 + t * std::sin(angle), 16 - t * std::cos(angle), 1.3, 0xFFF0A34Du);
    std::copy(knob.px.begin(), knob.px.end(), strip.px.begin() + f * 32 * 32);
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
    load.Fill(0, f * 20, 30, f * 20 + 20, f == 0 ? 0xFF44464Eu : 0xFFF0A34Du);
    load.Frame(0, f * 20, 30, f * 20 + 20, 0xFF8A8C96u);
    load.Fill(10, f * 20 + 8, 20, f * 20 + 12, 0xFF101014u);  // a slot
  }
  save(load, "load-file-button.png");

  Image eye(24, 24);
  eye.Disc(12, 12, 11, 0xFFD0D2DAu);
  eye.Disc(12, 12, 5, 0xFF1E2026u);
  save(eye, "horiz-fader-handle-eye.png");

  save(Switch(0xFF303036u, 0xFF40E060u), "on-off-14x14.png");

  Image range(12, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 12; ++x)
      if (std::abs(x * 2 + 1 - 12) <= 16 - y) range.At(x, y) = 0xFFE0E0E8u;
  save(range, "range-fader-handle.png");

  Image listen(24, 48);
  for (int f = 0; f < 2; ++f) {
    Image face(24, 24);
    face.Disc(12, 12, 11.5, f == 0 ? 0xFF44464Eu : 0xFF40A0F0u);
    for (int y = 6; y < 18; ++y)  // a play triangle
      for (int x = 8; x < 8 + (6 - std::abs(y - 12)) * 2; ++x) face.At(x, y) = 0xFFF0F0F0u;
    std::copy(face.px.begin(), face.px.end(), listen.px.begin() + f * 24 * 24);
  }
  save(listen, "listen-button.png");

  Image progress(100, 40 * 101);
  for (int f = 0; f < 101; ++f) {
    progress.Fill(0, f * 40, 100, f * 40 + 40, 0xE0101014u);
    progress.Frame(0, f * 40, 100, f * 40 + 40, 0xFF8A8C96u);
    progress.Fill(4, f * 40 + 14, 4 + 92 * f / 100, f * 40 + 26, 0xFFF0A34Du);
  }
  save(progress, "progress-bar.png");

  Image needle(400, 8 * 400);
  for (int f = 0; f < 400; ++f) needle.Fill(f - 1, f * 8, f + 2, f * 8 + 8, 0xFFFF4030u);
  save(needle, "rate-meter-needle.png");

  save(Knob(), "plain-knob.png");

  Image pad(80, 80);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x)
      pad.At(x, y) = 0xFF000000u | (0x10 + y / 4) << 16 | (0x30 + x / 4) << 8 | 0xA0;
  pad.Frame(0, 0, 80, 80, 0xFF80B0FFu);
  save(pad, "X-Y-pad-blue.png");

  Image ring(12, 12);
  ring.Disc(6, 6, 5.5, 0xFFFFFFFFu);
  for (int y = 0; y < 12; ++y)  // hollow centre
    for (int x = 0; x < 12; ++x)
      if (std::hypot(x + 0.5 - 6, y + 0.5 - 6) < 3.0) ring.At(x, y) = 0;
  save(ring, "ring-marker-2.png");

  save(Switch(0xFF303036u, 0xFFF0A34Du), "enable-disable.png");
  save(Switch(0xFFF04030u, 0xFF303036u), "lit-when-false-14x14.png");
  save(Switch(0xFF303036u, 0xFF40E060u), "lit-when-true-14x14.png");
  if (!text.FontError().empty())
    std::fprintf(stderr, "dilatorix-make-skin: %s\n", text.FontError().c_str());
  return ok ? 0 : 1;
}
