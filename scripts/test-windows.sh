#!/usr/bin/env bash
# Tests the Windows control under Wine: builds both DLLs (scripts/build-windows.sh)
# and the Linux host, checks the committed type libraries against the member
# table, makes the expected results with `vellumark run`, then runs the checks
# of scripts/windows-checks.sh for each bitness: the 64-bit ones under Wine on
# this machine, the 32-bit ones too where its kernel runs 32-bit programs, and
# elsewhere inside a small emulated machine (scripts/test-windows32-vm.sh).
# Both bitnesses must make the same number of checks.
#   scripts/test-windows.sh [--no-build]
# VELLUMARK_WIN32_VM=1 runs the 32-bit checks in the emulated machine even
# where this one could run them.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

if [ "${1:-}" != --no-build ]; then
  scripts/build-windows.sh || { echo "FAIL: Windows build"; exit 1; }
  if [ -x build/vellumark ]; then
    cmake --build build --target vellumark >/dev/null || { echo "FAIL: Linux build"; exit 1; }
  else
    scripts/build.sh build >/dev/null || { echo "FAIL: Linux build"; exit 1; }
  fi
fi

# Wine and the control open windows: everything runs on a virtual display.
if [ -z "${VELLUMARK_XVFB:-}" ]; then
  export VELLUMARK_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --no-build
fi

if scripts/make-typelibs.sh --check; then pass "type libraries match the member table"; else fail "type libraries"; fi

work="$(mktemp -d /tmp/vellumark-wintest.XXXXXX)"
trap 'rm -rf "$work"' EXIT
scripts/windows-checks.sh expect "$work/expected" || fail "expected results of vellumark run"

for bits in 64 32; do
  log="$work/checks-$bits.log"
  if [ "$bits" = 32 ] && { [ "${VELLUMARK_WIN32_VM:-}" = 1 ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; }; then
    echo "32-bit: the checks run in an emulated machine (scripts/test-windows32-vm.sh)"
    scripts/test-windows32-vm.sh --no-build --expected "$work/expected" | tee "$log"
  else
    scripts/windows-checks.sh "$bits" "build-win$bits" "$work/expected" | tee "$log"
  fi
  [ "${PIPESTATUS[0]}" -eq 0 ] || fail "$bits-bit Windows checks"
done
# The checks of each run, with the bitness taken out of their names.
checks() { grep -E '^(ok:  |FAIL:) ' "$work/checks-$1.log" | sed -E 's/\b(32|64)-bit\b/N-bit/g; s/\bwin(32|64)\b/winN/g'; }
if cmp -s <(checks 32) <(checks 64); then pass "the 32-bit and 64-bit runs made the same $(checks 64 | wc -l) checks"
else fail "the 32-bit and 64-bit runs made different checks"; diff <(checks 64) <(checks 32) | head -10; fi

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all Windows checks passed"
