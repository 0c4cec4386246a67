// The Windows module this code is linked into (the plug-in DLL, or a test
// program), found from an address inside it: the handle its resources and its
// window class belong to. Null when the system cannot tell.
#pragma once

#if defined(_WIN32)
#include "platform/WindowsApi.h"

inline HMODULE ThisModule() {
  static const char anchor = 0;
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&anchor), &module))
    return nullptr;
  return module;
}
#endif
