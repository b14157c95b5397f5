#!/usr/bin/env bash
# Starts QZWeb in a private X server and a private session bus with the accessibility bridge on,
# and reads its windows through AT-SPI as a screen reader would.
set -u
program=$1
probe=$(dirname "$0")/atspi_probe.py
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export QZWEB_HOME=$home QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
exec xvfb-run -a -s "-screen 0 1280x960x24" dbus-run-session -- bash -c '
  "$1" >/dev/null 2>&1 & app=$!
  /usr/bin/python3 "$2"; status=$?
  kill $app 2>/dev/null; wait $app 2>/dev/null
  exit $status' _ "$program" "$probe"
