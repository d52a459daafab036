#!/bin/sh
# Configures and builds into ./build (programs in ./build/bin).
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DVEMORA_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
