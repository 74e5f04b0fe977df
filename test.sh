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
suncalc_build build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUNCALC_TSAN=ON
# tsan <program> <pattern[:pattern...]>: GoogleTest passes a filter that selects nothing, so each
# pattern must first select a test of its own, or a renamed test would silently go unchecked.
tsan() {
  local patterns pattern listed
  IFS=: read -ra patterns <<<"$2"
  for pattern in "${patterns[@]}"; do
    listed=$("build-tsan/$1" --gtest_list_tests --gtest_filter="$pattern") || return 1
    # suites end in '.', their tests are indented; disabled ones would be listed but not run
    if [ "$(awk '/^[^ ]/ { suite = $1 }
                 /^  / && suite !~ /(^|\/)DISABLED_/ && $1 !~ /^DISABLED_/ { n++ }
                 END { print n + 0 }' <<<"$listed")" -eq 0 ]; then
      echo "ThreadSanitizer step: the filter '$pattern' selects no test of $1" >&2
      return 1
    fi
  done
  TSAN_OPTIONS=halt_on_error=1 tests/with_xvfb.sh "build-tsan/$1" --gtest_filter="$2"
}
tsan test_scene3d 'Bands.*'
tsan test_platform 'Bands.*:Chunks.*'
tsan test_earth 'GlobeRender.EverySplit*:GlobeRender.Loading*'
tsan test_view 'Canvas.RedrawWhileRowsAreMade*'
tsan test_formats 'JpegPost.Splits*:JpegPost.ReaderResult*'
tsan test_app 'JpegExport.RowsCompressed*:JpegExport.ARefusalWhile*:JpegExport.TheFileHolds*'

step "fuzzing every file reader"
CC=clang CXX=clang++ suncalc_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUNCALC_FUZZ=ON
tests/fuzz_all.sh build-fuzz "${SUNCALC_FUZZ_SECONDS:-30}"

step "end-to-end checks under Xvfb"
for t in tests/e2e/check_*.py; do
  echo "--- $t"
  SUNCALC_ASAN_PROGRAM=build-asan/sun-calculator /usr/bin/python3 "$t" build/sun-calculator
done
echo
echo "all tests passed"
