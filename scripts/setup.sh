#!/usr/bin/env bash
# Installs the Debian packages Vellumark needs to build, test and benchmark.
# Safe to run again: packages already present are skipped.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config
  zlib1g-dev libjpeg62-turbo-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qpdf poppler-utils mupdf-tools
  # tiffcp and tiff2rgba decode the Group 4 encoder's output in its tests;
  # cjpeg, djpeg and Pillow are the JPEG and bitmap tests' independent codecs
  libtiff-tools libjpeg-turbo-progs python3 python3-pil
  # independent decoders and writers of the image readers' test files
  imagemagick netpbm python3-numpy
  # apt-get source: the real-world test images (scripts/fetch-realworld-images.sh)
  dpkg-dev
  # fonts the tests and examples use
  fonts-dejavu-core fonts-liberation
  # libFuzzer and the sanitizer runtime for clang
  clang-14 libclang-rt-14-dev
  # benchmark-only: the reference PDF library the shape benchmark compares with
  libhpdf-dev
  # benchmark-only: libtiff's Group 4 encoder, the Group 4 benchmark's baseline
  libtiff-dev
  # benchmark-only: the PNG decoding benchmark's baseline
  libpng-dev
  # the Windows control: mingw-w64 cross compilers and tools (widl, windres),
  # zlib for Windows, nasm for libjpeg-turbo's SIMD code, Wine to test it
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 mingw-w64-tools libz-mingw-w64-dev nasm
  wine wine64 wine32:i386 xvfb xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
update=0

# 32-bit Wine comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  update=1
fi
# The Windows build compiles libjpeg-turbo from Debian's source package.
if ! apt-cache showsrc libjpeg-turbo 2>/dev/null | grep -q '^Package:'; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  fi
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee -a /etc/apt/sources.list >/dev/null
  fi
  update=1
fi

if [ ${#missing[@]} -eq 0 ] && [ $update -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

$SUDO apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
