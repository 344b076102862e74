#!/usr/bin/env bash
# Installs the Debian packages Vellumark needs to build and to run the Linux
# tests and benchmarks. With --windows it also installs what the Windows
# control needs (mingw-w64 cross compilers, Wine with its 32-bit half, Xvfb,
# debootstrap and qemu for the 32-bit checks' emulated machine);
# the Windows scripts ask for that themselves.
# Safe to run again: packages already present are skipped.
set -euo pipefail

windows=0
for arg in "$@"; do
  case "$arg" in
    --windows) windows=1 ;;
    *) echo "usage: scripts/setup.sh [--windows]" >&2; exit 2 ;;
  esac
done

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config
  zlib1g-dev libjpeg62-turbo-dev libdeflate-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qpdf poppler-utils mupdf-tools
  # tiffcp and tiff2rgba decode the Group 4 encoder's output in its tests;
  # cjpeg, djpeg and Pillow are the JPEG and bitmap tests' independent codecs
  libtiff-tools libjpeg-turbo-progs python3 python3-pil
  # independent decoders and writers of the image readers' test files
  imagemagick netpbm python3-numpy
  # transicc: littleCMS's exact L*a*b* to sRGB conversion, the TIFF L*a*b* reference
  liblcms2-utils
  # fontTools: glyph advance widths the font tests compare with
  python3-fonttools
  # fonts the tests and examples use (FreeSans.otf: CFF outlines, refused)
  fonts-dejavu-core fonts-liberation fonts-freefont-otf
  # a TrueType CJK font with a format 12 map, for wide text (the Noto CJK
  # fonts have CFF outlines)
  fonts-droid-fallback
  # the Python package's tests and its offline install (pip over Debian's
  # setuptools, in a venv) in the consumer check
  python3-pytest python3-setuptools python3-pip python3-venv python3-wheel
  # the consumer check finds the installed manual page; the manual page
  # test renders it with groff
  man-db groff-base
  # benchmark-only: the Python PDF library the Python package is compared with
  python3-reportlab
  # a comma-decimal locale, for the test that numbers ignore the locale
  locales
  # apt-get source: the real-world test images (scripts/fetch-realworld-images.sh)
  dpkg-dev
  # libFuzzer and the sanitizer runtime for clang
  clang-14 libclang-rt-14-dev
  # benchmark-only: the reference PDF library the shape benchmark compares with
  libhpdf-dev
  # benchmark-only: libtiff's Group 4 encoder, the Group 4 benchmark's baseline
  libtiff-dev
  # benchmark-only: the PNG decoding benchmark's baseline
  libpng-dev
  # benchmark-only: img2pdf, a peer of the image benchmark (bench_image_peers)
  img2pdf
)
WINDOWS_PACKAGES=(
  # the Windows control: mingw-w64 cross compilers and tools (widl, windres),
  # zlib for Windows, nasm for libjpeg-turbo's SIMD code, Wine to test it
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 mingw-w64-tools libz-mingw-w64-dev nasm
  wine wine64 wine32:i386 xvfb xauth
  # where the kernel runs no 32-bit programs, the 32-bit checks run in an
  # emulated machine made from Debian's packages (scripts/test-windows32-vm.sh)
  debootstrap qemu-system-x86 e2fsprogs
)
if [ $windows -eq 1 ]; then PACKAGES+=("${WINDOWS_PACKAGES[@]}"); fi

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
if [ $windows -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  update=1
fi
# Source packages: libjpeg-turbo for the Windows build, and the image test
# files of the real-world decoding test.
if [ -z "$(apt-cache showsrc zlib 2>/dev/null | sed -n '/^Package:/p')" ]; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  fi
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee -a /etc/apt/sources.list >/dev/null
  fi
  update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $update -eq 1 ]; then
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The German locale the number-format test switches to.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
[ ${#missing[@]} -eq 0 ] && [ $update -eq 0 ] && echo "setup: all packages present"
exit 0
