#!/usr/bin/env bash
# Makes the Windows package: a zip with both builds of the control, a README
# for Windows users and the example scripts (with their sample images).
#   scripts/package-windows.sh [--no-build]   -> build-windows-package/VellumarkX-VERSION-windows.zip
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
if [ "${1:-}" != --no-build ]; then scripts/build-windows.sh; fi
version="$(sed -n 's/^project(Vellumark VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
out="$root/build-windows-package"
stage="$out/VellumarkX-$version"
rm -rf "$out"
mkdir -p "$stage/x86" "$stage/x64" "$stage/examples"
cp build-win32/VellumarkX.dll "$stage/x86/"
cp build-win64/VellumarkX.dll "$stage/x64/"
# Windows line ends for the text files.
sed 's/$/\r/' control/com/package/README.txt > "$stage/README.txt"
sed 's/$/\r/' control/VellumarkX.idl > "$stage/VellumarkX.idl"
for f in examples/*.vbs; do sed 's/$/\r/' "$f" > "$stage/examples/$(basename "$f")"; done
mkdir -p "$stage/examples/data"
find examples/data -maxdepth 1 -type f ! -name '*.py' -exec cp {} "$stage/examples/data/" \;
zip="$out/VellumarkX-$version-windows.zip"
(cd "$out" && cmake -E tar cf "$zip" --format=zip "VellumarkX-$version")
echo "$zip"
