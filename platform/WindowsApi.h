// The Win32 API as this program includes it: without the min and max macros,
// which break std::min and std::max, and without the rarely used parts. The
// headers for dialogs and the shell come after it where needed.
#pragma once

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// A top-down 32-bit DIB section of width x height pixels, compatible with dc
// (the screen's when null); its pixels, zeroed by the system, at *bits. Null
// when the system cannot make it.
inline HBITMAP NewTopDownSection(HDC dc, int width, int height, void** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  *bits = nullptr;
  HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
  if (section != nullptr && *bits == nullptr) {
    DeleteObject(section);
    return nullptr;
  }
  return section;
}
#endif
