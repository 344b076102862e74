#!/usr/bin/env bash
# Configures and builds into a folder (default: build). Extra arguments go to
# CMake, e.g. scripts/build.sh build-asan -DVELLUMARK_SANITIZE=ON
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
