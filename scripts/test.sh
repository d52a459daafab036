#!/bin/sh
# Installs what is missing, builds with warnings as errors, runs every test,
# then starts the real program once under the offscreen platform.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")
scripts/smoke.sh
