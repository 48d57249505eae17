#!/usr/bin/env bash
# Runs a program (with its arguments) on a private Xvfb server and the xcb
# platform, as a person's desktop would show it. Exits 77, which CTest counts
# as skipped, only when Xvfb is not installed; an Xvfb that does not start is
# a failure. The server picks a free display itself (-displayfd), so parallel
# runs do not collide, and both the server's start and the program are timed.
set -uo pipefail
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "Xvfb is not installed (Debian package xvfb): skipped"
  exit 77
fi
scratch=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$scratch"' EXIT
display=""
for _ in $(seq 300); do
  display=$(head -n 1 "$scratch/display" 2>/dev/null)
  [ -n "$display" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    break
  fi
  sleep 0.1
done
if [ -z "$display" ]; then
  echo "Xvfb did not start:"
  cat "$scratch/xvfb.log"
  exit 1
fi
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
# A bare desktop: no session bus and no OpenGL, which widgets do not need and
# whose libraries keep allocations the leak checker of sanitized runs reports.
export DBUS_SESSION_BUS_ADDRESS=disabled: QT_XCB_GL_INTEGRATION=none
timeout --kill-after=10 240 "$@"
