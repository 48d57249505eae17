#!/usr/bin/env bash
# Sets up, builds and runs the demo; arguments go to the demo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" --target vorndemo
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
exec "${BUILD_DIR:-$root/build}/demo/vorndemo" "$@"
