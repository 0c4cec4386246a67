// UTF-8 paths and texts to and from Windows' UTF-16, for the Win32 calls that
// take wide strings: names outside the current code page reach the file system
// whole. Both give an empty string for input that is not valid in its encoding.
#pragma once

#if defined(_WIN32)
#include <string>

#include "platform/WindowsApi.h"

// With replaceInvalid, malformed bytes become U+FFFD instead (for text shown
// to the user, where the rest of a line should still appear).
inline std::wstring WideFromUtf8(const std::string& text, bool replaceInvalid = false) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const DWORD flags = replaceInvalid ? 0 : MB_ERR_INVALID_CHARS;
  const int length = MultiByteToWideChar(CP_UTF8, flags, text.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, flags, text.data(), size, &wide[0], length);
  return wide;
}

inline std::string Utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, nullptr,
                                         0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, &utf8[0], length, nullptr,
                      nullptr);
  return utf8;
}
#endif
