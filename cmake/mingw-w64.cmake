# Cross-building the Windows modules with mingw-w64 for the processor the
# including toolchain file names (DILATORIX_MINGW_ARCH), in the compiler's POSIX
# threads model, which std::thread and std::mutex need. zlib and libpng come
# from DILATORIX_WINDOWS_DEPS (include/, lib/), as tools/windows-deps.sh
# builds them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${DILATORIX_MINGW_ARCH})
set(CMAKE_C_COMPILER ${DILATORIX_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${DILATORIX_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${DILATORIX_MINGW_ARCH}-w64-mingw32-windres)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DILATORIX_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${DILATORIX_MINGW_ARCH}-w64-mingw32 ${DILATORIX_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
