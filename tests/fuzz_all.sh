#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, each from its seed corpus
# (fuzz/corpus/<reader>/, left unchanged: new inputs go to a scratch copy), and fails when any
# target finds a crash, a sanitizer report, a leak or a time-out. Targets run side by side, as
# many at once as there are processors (SUNCALC_FUZZ_JOBS overrides).
# usage: tests/fuzz_all.sh <build-dir> <seconds-per-target>
set -u
build=${1:?build directory}
seconds=${2:-30}
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
jobs=${SUNCALC_FUZZ_JOBS:-$(nproc)}

fuzz_one() {  # <binary> ; writes $work/<name>/rc
  local bin=$1 name
  name=$(basename "$bin")
  name=${name#fuzz_}
  mkdir -p "$work/$name/corpus" "$work/$name/artifacts"
  local seeds="$src/fuzz/corpus/$name"
  [ -d "$seeds" ] || seeds=""
  # The readers print their diagnostics on standard output, the RGBE codec on standard error: keep
  # both closed (libFuzzer and the sanitizers still report through a copy of standard error).
  ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1} \
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    "$bin" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -max_len=65536 \
      -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$work/$name/artifacts/" \
      "$work/$name/corpus" $seeds >"$work/$name/log" 2>&1
  echo $? >"$work/$name/rc"
}

names=()
for bin in "$build"/fuzz_*; do
  [ -x "$bin" ] && [ -f "$bin" ] || continue
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  fuzz_one "$bin" &
  n=$(basename "$bin")
  names+=("${n#fuzz_}")
done
wait

failed=0
for name in "${names[@]}"; do
  rc=$(cat "$work/$name/rc" 2>/dev/null || echo 99)
  runs=$(grep -E '^stat::number_of_executed_units' "$work/$name/log" | awk '{print $2}')
  echo "--- fuzz $name: ${runs:-?} runs in ${seconds} s"
  if [ "$rc" -ne 0 ] || ls "$work/$name/artifacts/"* >/dev/null 2>&1; then
    echo "FAILED: fuzz $name (exit $rc)"
    tail -60 "$work/$name/log"
    mkdir -p "$build/fuzz-findings/$name"
    cp "$work/$name/artifacts/"* "$build/fuzz-findings/$name/" 2>/dev/null &&
      echo "findings kept in $build/fuzz-findings/$name"
    failed=$((failed + 1))
  fi
done
echo "${#names[@]} fuzz targets, $failed failed"
[ "$failed" -eq 0 ] && [ "${#names[@]}" -gt 0 ]
