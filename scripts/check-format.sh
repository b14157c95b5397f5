#!/usr/bin/env bash
# Checks that every tracked C++ file matches the repository's .clang-format, and names each one
# that does not with the command that fixes it.
set -euo pipefail
cd "$(dirname "$0")/.."
report=$(git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror 2>&1) && exit 0
files=$(printf '%s\n' "$report" | sed -n -E 's/^([^: ]+\.(cpp|h)):[0-9]+:[0-9]+: error: .*/\1/p' | sort -u)
if [ -z "$files" ]; then
  printf '%s\n' "$report" >&2
  echo "clang-format failed (above)" >&2
  exit 1
fi
for file in $files; do
  echo "$file: not in the repository's style (.clang-format); fix: clang-format -i $file" >&2
done
exit 1
