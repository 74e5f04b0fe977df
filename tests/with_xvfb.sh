#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb server (the toolkit measures fonts even for
# widgets that are never shown). The server picks a free display itself, so parallel runs do not
# collide. -noreset keeps it from restarting when the probe below hangs up.
set -u
exec 3< <(Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp -noreset 4>&1 2>/dev/null & echo "pid $!")
xpid="" num=""
for _ in 1 2; do
  read -r line <&3 || break
  case "$line" in
    pid\ *) xpid=${line#pid } ;;
    *) num=$line ;;
  esac
done
if [ -z "$num" ]; then
  echo "with_xvfb: Xvfb did not start" >&2
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  exit 1
fi
# The number comes when the server listens; wait until a client gets in all the same, as a
# command started at once has been seen to find no display on a loaded machine.
for _ in $(seq 100); do
  DISPLAY=":$num" xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
DISPLAY=":$num" "$@"
rc=$?
kill "$xpid" 2>/dev/null
exit $rc
