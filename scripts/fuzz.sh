#!/usr/bin/env bash
# Builds the parsers' fuzz targets (tests/fuzz/) with clang's libFuzzer and the address and
# undefined-behaviour sanitizers into build-fuzz/ (or $QZWEB_FUZZ_DIR) and runs each for SECONDS
# seconds (default 60) over a copy of its stored corpus, so the inputs a run adds never land in
# the repository. Fails when any target crashes, hangs or finds a broken promise; the input that
# did it is kept in the build folder's fuzz-runs/<target>/findings/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
seconds=${1:-60}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [SECONDS]   (seconds per target, default 60)" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QZWEB_FUZZ_DIR:-$root/build-fuzz}
"$root/scripts/install-deps.sh"

# Only the logic libraries the targets link are built; the program and its tests are not.
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQZWEB_FUZZ=ON -DQZWEB_BUILD_TESTS=OFF -DQZWEB_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target fuzz_targets

export QT_QPA_PLATFORM=offscreen
# A small quarantine: freed memory is still checked for the length of one input, and blocks freed
# by one input are reused by the next instead of each input touching fresh pages (three times
# faster for the reply reader, which reads in 32 KB blocks).
export ASAN_OPTIONS="detect_leaks=1:quarantine_size_mb=16${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
passed=0
failed=0
for corpus in "$root"/tests/fuzz/corpus/*/; do
  name=$(basename "$corpus")
  run="$build/fuzz-runs/$name"
  rm -rf "$run"
  mkdir -p "$run/corpus" "$run/findings"
  cp "$corpus"* "$run/corpus/"
  # -timeout: one input taking this long is a hang; -rss_limit_mb: memory growing without bound.
  if (cd "$run" && "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
        -print_final_stats=1 -artifact_prefix="$run/findings/" "$run/corpus" >"$run/log" 2>&1); then
    passed=$((passed + 1))
    stats=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$run/log" | tail -n 1 | sed -E 's/^#([0-9]+)[[:space:]]+DONE[[:space:]]+(cov: [0-9]+).*/\1 runs, \2/')
    echo "fuzz_$name: ok (${stats:-no statistics})"
  else
    failed=$((failed + 1))
    echo "fuzz_$name: FAILED, input kept in $run/findings/"
    tail -n 40 "$run/log"
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
