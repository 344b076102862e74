#!/usr/bin/env bash
# Configures and builds into a folder (default: build). Extra arguments go to
# CMake, e.g. scripts/build.sh build-asan -DVELLUMARK_SANITIZE=ON
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
