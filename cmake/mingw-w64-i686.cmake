# The 32-bit Windows module (Dilatorix_32.dll). The engine's arithmetic runs on
# SSE2, as on x86-64: the x87 unit's extended precision would round differently
# and ignore the SSE control word.
set(DILATORIX_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
