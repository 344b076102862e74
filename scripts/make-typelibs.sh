#!/usr/bin/env bash
# Writes the control's type libraries (control/com/typelib/VellumarkX32.tlb and
# VellumarkX64.tlb) from the member table with build-win64/MakeTypeLib.exe,
# run under Wine in a private prefix. The DLLs embed them; rebuild with
# scripts/build-windows.sh afterwards.
#   scripts/make-typelibs.sh           write both libraries
#   scripts/make-typelibs.sh --check   write them into a temporary folder and
#                                      compare their dumps with the committed ones
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tool="$root/build-win64/MakeTypeLib.exe"
[ -f "$tool" ] || { echo "build $tool first (scripts/build-windows.sh)" >&2; exit 2; }
wine64=/usr/lib/wine/wine64
export WINEPREFIX="${VELLUMARK_TLB_PREFIX:-/tmp/vellumark-wine-typelib}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
winpath() { echo "Z:${1//\//\\}"; }

out="$root/control/com/typelib"
mode="${1:-write}"
if [ "$mode" = --check ]; then
  out="$(mktemp -d)"
  trap 'rm -rf "$out"' EXIT
fi
mkdir -p "$out"
for bits in 32 64; do
  "$wine64" "$tool" "$(winpath "$out/VellumarkX$bits.tlb")" "win$bits" 2>/dev/null
done
if [ "$mode" = --check ]; then
  status=0
  for bits in 32 64; do
    committed="$("$wine64" "$tool" --dump "$(winpath "$root/control/com/typelib/VellumarkX$bits.tlb")" 2>/dev/null)"
    fresh="$("$wine64" "$tool" --dump "$(winpath "$out/VellumarkX$bits.tlb")" 2>/dev/null)"
    if [ -z "$fresh" ] || [ "$committed" != "$fresh" ]; then
      echo "type library $bits-bit: the committed file differs from the member table" >&2
      diff <(echo "$committed") <(echo "$fresh") | head -20 >&2 || true
      status=1
    fi
  done
  exit $status
fi
echo "wrote $out/VellumarkX32.tlb and $out/VellumarkX64.tlb"
