#!/usr/bin/env bash
# The consumer check: installs a build (default: build) into a temporary
# prefix with "cmake --install" and uses it as a new user would:
#   - an outside CMake project (scripts/consumer) finds it with
#     find_package(Vellumark) and builds against the shared and the static
#     library;
#   - the C example builds with "pkg-config --cflags --libs vellumark";
#   - the Python example runs on the installed Python package, which finds
#     the installed library by itself, and "pip install ./python" works
#     offline in a fresh virtual environment;
#   - with --deb, "cpack -G DEB" makes the Debian package, which installs with
#     dpkg -i (headers, libraries, program, manual page, Python package
#     usable), and dpkg -r removes every file it brought.
# Every PDF made is checked with qpdf --check.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
deb=0
for arg in "$@"; do
  case "$arg" in
    --deb) deb=1 ;;
    -*) echo "usage: scripts/check-install.sh [BUILD_DIR] [--deb]" >&2; exit 2 ;;
    *) build="$(cd "$arg" && pwd)" ;;
  esac
done
work="$(mktemp -d /tmp/vellumark-install.XXXXXX)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

pdf_ok() {
  local out
  if ! out="$(qpdf --check "$1" 2>&1)" || grep -qi warning <<<"$out"; then
    echo "$out" >&2
    echo "check-install: $1 is not a clean PDF" >&2
    exit 1
  fi
}

echo "== cmake --install into $prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir="$(dirname "$(find "$prefix" -name 'libvellumark.so' -print -quit)")"
for f in include/vellumark/vellumark.h include/vellumark/vellumark.hpp bin/vellumark share/man/man1/vellumark.1; do
  [ -e "$prefix/$f" ] || { echo "check-install: $f was not installed" >&2; exit 1; }
done
[ -e "$libdir/libvellumark.a" ] && [ -e "$libdir/pkgconfig/vellumark.pc" ] && [ -e "$libdir/cmake/Vellumark/VellumarkConfig.cmake" ]

echo "== an outside CMake project: find_package(Vellumark)"
cmake -S "$root/scripts/consumer" -B "$work/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
"$work/consumer/consumer" "$work/consumer.pdf"
"$work/consumer/consumer_static" "$work/consumer_static.pdf"
pdf_ok "$work/consumer.pdf"
pdf_ok "$work/consumer_static.pdf"
# The shared build finds the library through its run path; without it
# libvellumark.so.2 would be missing.
# (ldd's output is read whole: grep -q would end the pipe early.)
linked="$(ldd "$work/consumer/consumer")"
if ! grep -q "libvellumark.so.2 => $libdir" <<<"$linked"; then
  echo "check-install: the consumer does not find the installed library: $linked" >&2
  exit 1
fi
if grep -q libvellumark <<<"$(ldd "$work/consumer/consumer_static")"; then
  echo "check-install: the static consumer links libvellumark.so" >&2
  exit 1
fi

echo "== a C program with pkg-config"
export PKG_CONFIG_PATH="$libdir/pkgconfig"
# shellcheck disable=SC2046
cc -std=c99 -Wall -Werror "$root/examples/c/invoice.c" $(pkg-config --cflags --libs vellumark) -o "$work/invoice"
LD_LIBRARY_PATH="$libdir" "$work/invoice" "$work/invoice.pdf"
pdf_ok "$work/invoice.pdf"

echo "== the Python examples on the installed package"
pythondir="$(dirname "$(find "$prefix" -path '*/vellumark/__init__.py' -print -quit)")"
env -u VELLUMARK_LIBRARY PYTHONPATH="$(dirname "$pythondir")" PYTHONDONTWRITEBYTECODE=1 \
  /usr/bin/python3 "$root/examples/python/catalogue.py" "$work/catalogue.pdf"
pdf_ok "$work/catalogue.pdf"

echo "== pip install ./python, offline, in a virtual environment"
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
cp -r "$root/python" "$work/python-src"  # pip builds in the source folder
"$work/venv/bin/pip" install -q "$work/python-src"
(cd "$work" && env -u VELLUMARK_LIBRARY LD_LIBRARY_PATH="$libdir" PYTHONDONTWRITEBYTECODE=1 \
  "$work/venv/bin/python" "$root/examples/python/catalogue.py" "$work/catalogue-pip.pdf")
pdf_ok "$work/catalogue-pip.pdf"

if [ $deb -eq 1 ]; then
  echo "== the Debian package"
  if [ "$(dpkg-query -W -f='${Status}' vellumark 2>/dev/null || true)" = "install ok installed" ]; then
    echo "check-install: a vellumark package is installed already; the package check is skipped" >&2
  else
    rm -f "$build"/vellumark_*.deb
    (cd "$build" && cpack -G DEB >/dev/null)
    package="$(echo "$build"/vellumark_*.deb)"
    dpkg -i "$package" >/dev/null
    mapfile -t files < <(dpkg -L vellumark | while read -r f; do [ -f "$f" ] || [ -L "$f" ] && echo "$f"; done)
    remove() { dpkg -r vellumark >/dev/null; }
    trap 'remove; rm -rf "$work"' EXIT
    vellumark --version >/dev/null
    man -w vellumark >/dev/null
    cc -std=c99 "$root/examples/c/invoice.c" $(PKG_CONFIG_PATH= pkg-config --cflags --libs vellumark) -o "$work/invoice-deb"
    "$work/invoice-deb" "$work/invoice-deb.pdf"
    pdf_ok "$work/invoice-deb.pdf"
    (cd "$work" && env -u VELLUMARK_LIBRARY -u PYTHONPATH PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 \
      "$root/examples/python/catalogue.py" "$work/catalogue-deb.pdf")
    pdf_ok "$work/catalogue-deb.pdf"
    remove
    trap 'rm -rf "$work"' EXIT
    for f in "${files[@]}"; do
      if [ -e "$f" ] || [ -L "$f" ]; then
        echo "check-install: $f is left after dpkg -r" >&2
        exit 1
      fi
    done
    dpkg -P vellumark >/dev/null  # the ldconfig scripts dpkg -r keeps
    echo "$(basename "$package"): ${#files[@]} files installed and removed"
  fi
fi
echo "check-install: all checks passed"
