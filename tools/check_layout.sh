#!/usr/bin/env bash
# Includes run downward: only app/ chooses by content kind and drives the rest, so a file below
# it that includes an app/ header would tie the lower floors to the window. Prints each such
# include and fails; run from anywhere, checks the tree this script lives in.
set -uo pipefail
cd "$(dirname "$0")/.."
found=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]app/' \
  formats view earth scene3d platform 2>/dev/null)
if [ -n "$found" ]; then
  echo "layout: a folder below app/ includes an app/ header:"
  echo "$found"
  exit 1
fi
echo "layout: no folder below app/ includes an app/ header"
