#!/bin/sh
# Runs clang-tidy with the project's checks (.clang-tidy) over every source
# file, two at a time. Needs a configured build (scripts/build.sh) for the
# compile commands. Not part of the test command: it takes minutes.
set -eu
cd "$(dirname "$0")/.."
command -v clang-tidy >/dev/null || { echo "tidy: clang-tidy is not installed"; exit 1; }
[ -f build/compile_commands.json ] || scripts/build.sh
out=$(ls src/*/*.cpp src/*/ui/*.cpp app/*.cpp | xargs -P2 -n4 clang-tidy -p build --quiet 2>&1 |
      grep -E 'warning:|error:' | sort -u || true)
if [ -n "$out" ]; then
    echo "$out"
    exit 1
fi
echo "tidy: clean"
