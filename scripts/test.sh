#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite, then the fuzz targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QZWEB_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"
cd "$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)"

# Then each fuzz target runs for a few seconds over its stored corpus, so a parser change that
# breaks one of its promises on a known input fails the run (QZWEB_FUZZ_SECONDS=0 skips this;
# a longer search is scripts/fuzz.sh).
fuzz_seconds=${QZWEB_FUZZ_SECONDS:-5}
if [ "$fuzz_seconds" != 0 ]; then
  "$root/scripts/fuzz.sh" "$fuzz_seconds"
fi
