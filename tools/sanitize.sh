#!/usr/bin/env bash
# Runs the tests under the sanitizers: every test of the suite in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan, Debug at -O1),
# then the tests that run threads against each other in a build with
# ThreadSanitizer (build-tsan): the FFT's, the engine's, the loader's, the
# displays', the host binding's, the image cache's, and the plug-in's stress
# test of four instances on three threads each. Any report fails the run. The X11 and editor-window tests need Xvfb, as in the
# README's test command.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DDILATORIX_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j2
# Allocations too large to make must come back null, as the code expects;
# fontconfig's caches, kept for the process's life, are no leak of ours.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:allocator_may_return_null=1 \
LSAN_OPTIONS="suppressions=$PWD/tools/lsan-suppressions.txt:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j2 --output-on-failure

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDILATORIX_SANITIZE=thread >/dev/null
cmake --build build-tsan -j2 --target Dilatorix_64 dilatorix_unit_tests dilatorix_raster_tests \
  dilatorix_plugin_tests
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
./build-tsan/tests/dilatorix_unit_tests --gtest_brief=1 --gtest_filter='Fft.Concurrent*:Fft.PlanShapes*:StretchEngine.EnginesOnTwoThreads*:StretchLoadingTest.*:StretchDisplays.*:IEffectVstTest.*'
./build-tsan/tests/dilatorix_raster_tests --gtest_brief=1 --gtest_filter='ImageCache.*:PxPngBitmap.*'
./build-tsan/tests/dilatorix_plugin_tests --gtest_brief=1 --gtest_filter='*Stress*'
