#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer. Without a display it runs the viewer
# under Xvfb for a few seconds and prints where the screenshot of its window is.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
suncalc_install_deps
suncalc_build build -DCMAKE_BUILD_TYPE=Release

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec ./build/sun-calculator "$@"
fi

echo "No display: running the viewer under Xvfb for a few seconds."
mkdir -p out
shot=$(pwd)/out/screenshot.png
/usr/bin/python3 tests/e2e/shoot.py --seconds "${SUNCALC_SHOW_SECONDS:-6}" --out "$shot" -- ./build/sun-calculator "$@"
echo "screenshot of the window: $shot"
