#include "host/ProgressBar.h"

void ProgressBar::Start(const std::string& text) {
  if (active) Finish();
  label = text;
  active = true;
  shown = -1;
  if (!terminal) std::fprintf(stream, "%s:", label.c_str());
  Update(0);
}

void ProgressBar::Update(double fraction) {
  if (!active) return;
  const double clamped = fraction < 0 ? 0 : fraction > 1 ? 1 : fraction;
  const int percent = static_cast<int>(clamped * 100);
  if (percent == shown) return;
  if (terminal) {
    const int filled = static_cast<int>(clamped * kWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    std::fprintf(stream, "\r%-10s [%s] %3d%%", label.c_str(), bar.c_str(), percent);
  } else {
    // Marks at 0, 25, 50, 75 and 100 percent.
    for (int mark = (shown < 0 ? 0 : shown / 25 + 1) * 25; mark <= percent; mark += 25)
      std::fprintf(stream, " %d%%", mark);
  }
  shown = percent;
  std::fflush(stream);
}

void ProgressBar::Finish() {
  if (!active) return;
  std::fputc('\n', stream);
  std::fflush(stream);
  active = false;
}
