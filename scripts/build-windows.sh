#!/usr/bin/env bash
# Cross-builds the Windows control for 32 and 64-bit Windows with mingw-w64:
# a static libjpeg-turbo from Debian's source package first (once per
# folder), then the project into build-win32 and build-win64.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc)"

# libjpeg-turbo's source, fetched once.
src_cache="$root/build-windows-src"
if ! ls "$src_cache"/libjpeg-turbo_*.orig.tar.gz >/dev/null 2>&1; then
  mkdir -p "$src_cache"
  (cd "$src_cache" && apt-get source --download-only libjpeg-turbo >/dev/null)
fi
tarball="$(ls "$src_cache"/libjpeg-turbo_*.orig.tar.gz | head -1)"

for target in "i686 build-win32" "x86_64 build-win64"; do
  set -- $target
  arch="$1" dir="$root/$2"
  toolchain="$root/cmake/toolchains/mingw-$arch.cmake"
  deps="$dir/deps"
  if [ ! -f "$deps/lib/libjpeg.a" ]; then
    rm -rf "$dir/libjpeg-src" "$dir/libjpeg-build"
    mkdir -p "$dir/libjpeg-src"
    tar -xzf "$tarball" -C "$dir/libjpeg-src" --strip-components=1
    cmake -S "$dir/libjpeg-src" -B "$dir/libjpeg-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$deps" \
      -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF >/dev/null
    cmake --build "$dir/libjpeg-build" -j "$jobs" >/dev/null
    cmake --install "$dir/libjpeg-build" >/dev/null
  fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DVELLUMARK_WINDOWS_DEPS="$deps" \
    -DVELLUMARK_TESTS=OFF -DVELLUMARK_BENCH=OFF >/dev/null
  cmake --build "$dir" -j "$jobs" --target vellumark_core
done
