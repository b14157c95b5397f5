#!/usr/bin/env bash
# Installs what is needed, builds QZWeb and starts it. Arguments go to the program
# (qzweb FILE opens FILE at start).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QZWEB_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
QZWeb is a desktop program and needs a display, but neither DISPLAY nor WAYLAND_DISPLAY is set.
Run it from a desktop session, or inside a virtual X server:
  xvfb-run -a -s "-screen 0 1280x960x24" $root/scripts/run.sh
MSG
  exit 1
fi
if [ "$(id -u)" -eq 0 ]; then
  # Chromium's sandbox refuses to run as root; the preview engine needs it off then.
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec "$build/qzweb" "$@"
