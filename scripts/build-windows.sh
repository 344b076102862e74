#!/usr/bin/env bash
# Cross-builds the Windows control for 32 and 64-bit Windows with mingw-w64:
# a static libjpeg-turbo and a static libdeflate from Debian's source packages
# first (once per folder), then the project into build-win32 and build-win64, giving
# build-win32/VellumarkX.dll and build-win64/VellumarkX.dll (and MakeTypeLib.exe,
# which writes and dumps the type library).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/setup.sh --windows
jobs="${VELLUMARK_JOBS:-$(nproc)}"

# libjpeg-turbo's source, fetched once.
src_cache="$root/build-windows-src"
if ! ls "$src_cache"/libjpeg-turbo_*.orig.tar.gz >/dev/null 2>&1; then
  mkdir -p "$src_cache"
  (cd "$src_cache" && apt-get source --download-only libjpeg-turbo >/dev/null)
fi
tarball="$(ls "$src_cache"/libjpeg-turbo_*.orig.tar.gz | head -1)"
# libdeflate's source, fetched once.
if ! ls "$src_cache"/libdeflate_*.orig.tar.gz >/dev/null 2>&1; then
  (cd "$src_cache" && apt-get source --download-only libdeflate >/dev/null)
fi
deflate_tarball="$(ls "$src_cache"/libdeflate_*.orig.tar.gz | head -1)"

# The system IDL files (oaidl.idl, ocidl.idl, ...) that widl imports when it
# compiles control/VellumarkX.idl into the C++ header: Debian installs none,
# so they come from mingw-w64's source package, fetched and extracted once.
idl_dir="$src_cache/mingw-w64-idl"
if [ ! -f "$idl_dir/oaidl.idl" ]; then
  mkdir -p "$src_cache"
  if ! ls "$src_cache"/mingw-w64_*.orig.tar.bz2 >/dev/null 2>&1; then
    (cd "$src_cache" && apt-get source --download-only mingw-w64 >/dev/null)
  fi
  rm -rf "$idl_dir"
  mkdir -p "$idl_dir"
  tar -xjf "$(ls "$src_cache"/mingw-w64_*.orig.tar.bz2 | head -1)" -C "$idl_dir" --strip-components=3 \
    --wildcards '*/mingw-w64-headers/include/*.idl'
fi

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
  if [ ! -f "$deps/lib/libdeflate.a" ]; then
    # Its own Makefile names the static library libdeflatestatic.lib for
    # mingw; it goes in as libdeflate.a beside libjpeg.a.
    rm -rf "$dir/libdeflate-src"
    mkdir -p "$dir/libdeflate-src" "$deps/lib" "$deps/include"
    tar -xzf "$deflate_tarball" -C "$dir/libdeflate-src" --strip-components=1
    make -C "$dir/libdeflate-src" -j "$jobs" CC="$arch-w64-mingw32-gcc-win32" AR="$arch-w64-mingw32-ar" \
      libdeflatestatic.lib >/dev/null
    cp "$dir/libdeflate-src/libdeflatestatic.lib" "$deps/lib/libdeflate.a"
    cp "$dir/libdeflate-src/libdeflate.h" "$deps/include/"
  fi
  launcher=()
  if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  # zlib is linked statically, so that the DLL imports only system DLLs.
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DVELLUMARK_WINDOWS_DEPS="$deps" -DVELLUMARK_WINDOWS_IDL_DIR="$idl_dir" \
    -DZLIB_LIBRARY_RELEASE="/usr/$arch-w64-mingw32/lib/libz.a" \
    "${launcher[@]}" -DVELLUMARK_TESTS=OFF -DVELLUMARK_BENCH=OFF >/dev/null
  cmake --build "$dir" -j "$jobs" --target VellumarkX MakeTypeLib EarlyBound
done
