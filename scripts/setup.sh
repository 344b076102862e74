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
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
