#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit tests, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, a short fuzzing run of every file reader, and
# the end-to-end checks of the real program under Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
suncalc_install_deps

jobs=$(nproc)
step() { printf '\n=== %s\n' "$*"; }

step "layout: nothing below app/ includes an app/ header"
tools/check_layout.sh

step "build and unit tests"
suncalc_build build -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build --output-on-failure -j "$jobs"

step "calls: no two files of the library use each other, directly or around a loop"
tools/check_calls.py build/libsuncalc.a

step "unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
suncalc_build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUNCALC_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

step "band workers under ThreadSanitizer (3D renderer, globe and redraw, JPEG reader and export, platform)"
if [ ! -f build-tsan/build.ninja ]; then
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUNCALC_TSAN=ON >/dev/null
fi
cmake --build build-tsan --target test_scene3d test_earth test_view test_formats test_platform test_app
tsan() { TSAN_OPTIONS=halt_on_error=1 tests/with_xvfb.sh "build-tsan/$1" --gtest_filter="$2"; }
tsan test_scene3d 'Bands.*'
tsan test_platform 'Bands.*:Chunks.*'
tsan test_earth 'GlobeRender.EverySplit*:GlobeRender.Loading*'
tsan test_view 'Canvas.RedrawWhileRowsAreMade*'
tsan test_formats 'JpegPost.Splits*:JpegPost.ReaderResult*'
tsan test_app 'JpegExport.RowsCompressed*:JpegExport.ARefusalWhile*:JpegExport.TheFileHolds*'

if ls fuzz/*.cpp >/dev/null 2>&1; then
  step "fuzzing every file reader"
  CC=clang CXX=clang++ suncalc_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUNCALC_FUZZ=ON
  tests/fuzz_all.sh build-fuzz "${SUNCALC_FUZZ_SECONDS:-30}"
fi

step "end-to-end checks under Xvfb"
for t in tests/e2e/check_*.py; do
  echo "--- $t"
  SUNCALC_ASAN_PROGRAM=build-asan/sun-calculator /usr/bin/python3 "$t" build/sun-calculator
done
echo
echo "all tests passed"
