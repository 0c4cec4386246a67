# The 64-bit Windows module (Dilatorix_64.dll).
set(DILATORIX_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
