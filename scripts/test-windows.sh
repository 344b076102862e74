#!/usr/bin/env bash
# Tests the Windows control under Wine: builds both DLLs (scripts/build-windows.sh)
# and the Linux host, checks the committed type libraries against the member
# table, then for each bitness, in a fresh private Wine prefix:
#   - registers the DLL with regsvr32 from a folder whose path has a space,
#     and checks every registry key and value;
#   - runs tests/windows/draw.vbs and draw.js under cscript and checks the
#     marker line, the PDF (qpdf --check) and that the PDF and the VBScript's
#     output equal those of `vellumark run` on the same script (creation date
#     aside, line ends normalised);
#   - runs every script in examples/ the same way;
#   - runs the early-bound client (control/com/tests/EarlyBound.cpp);
#   - unregisters and checks that the keys are gone.
# 32-bit Windows programs need a kernel that runs 32-bit Linux programs; where
# it cannot, the 32-bit DLL is built but not run, and the script says so.
#   scripts/test-windows.sh [--no-build]
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
vellumark="$root/build/vellumark"

# Wine and the control open windows (in-place activation, the About box): the
# checks run on a virtual display of their own.
if [ -z "${VELLUMARK_XVFB:-}" ]; then
  export VELLUMARK_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --no-build
fi

if scripts/make-typelibs.sh --check; then pass "type libraries match the member table"; else fail "type libraries"; fi

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work="$(mktemp -d /tmp/vellumark-wintest.XXXXXX)"
prefixes=()
cleanup() {
  for p in "${prefixes[@]}"; do WINEPREFIX="$p" wineserver -k 2>/dev/null; rm -rf "$p"; done
  rm -rf "$work"
}
trap cleanup EXIT

clsid='{628DB55E-78CB-46D6-99C9-F65EC47FE138}'
libid='{E29C4F99-D821-46DD-AFAD-277E33F52812}'

winpath() { echo "Z:${1//\//\\}"; }

# PDF text with the creation date blanked.
normalise_pdf() { sed -E 's/\/CreationDate \(D:[^)]*\)/\/CreationDate ()/' "$1"; }

# The data of a registry value ("" for the default value), or nothing.
reg_value() {
  local key="$1" name="$2" out
  if [ -z "$name" ]; then out="$($wine reg query "$key" /ve 2>/dev/null)" || return 1
  else out="$($wine reg query "$key" /v "$name" 2>/dev/null)" || return 1; fi
  echo "$out" | tr -d '\r' | grep -E 'REG_SZ' | head -1 | sed -E 's/^ *[^ ]+( [^ ]+)* +REG_SZ +//; s/^ *\(Default\) +REG_SZ +//'
}
expect_value() {
  local key="$1" name="$2" want="$3" got
  got="$(reg_value "$key" "$name")"
  if [ "$got" = "$want" ]; then pass "$key [${name:-default}] = $want"; else fail "$key [${name:-default}]: '$got', expected '$want'"; fi
}
expect_key() {
  if $wine reg query "$1" >/dev/null 2>&1; then pass "key $1"; else fail "key $1 missing"; fi
}
expect_no_key() {
  if $wine reg query "$1" >/dev/null 2>&1; then fail "key $1 still there"; else pass "key $1 gone"; fi
}

# Runs one script under cscript in $dir and under vellumark run in $dir/linux;
# compares the marker, the output and every PDF written.
run_script() {
  local script="$1" compare_output="$2" name dir out
  name="$(basename "$script")"
  dir="$work/run-$bits-${name%.*}-${name##*.}"
  mkdir -p "$dir/linux"
  cp -r "$(dirname "$script")"/. "$dir/" 2>/dev/null
  cp -r "$(dirname "$script")"/. "$dir/linux/" 2>/dev/null
  out="$(cd "$dir" && timeout 300 $wine cscript //nologo "$name" 2>/dev/null | tr -d '\r')"
  if ! grep -qx "END OF TEST" <<<"$out" && [ "$compare_output" = marker ]; then
    fail "$bits-bit $name: no marker line (the script stopped early)"; return
  fi
  local vbs="${script%.*}.vbs"
  local linux_out
  linux_out="$(cd "$dir/linux" && "$vellumark" run "$(basename "$vbs")" 2>&1)"
  if [ "$compare_output" != none ] && [ "${name##*.}" = vbs ]; then
    if [ "$out" = "$linux_out" ]; then pass "$bits-bit $name: output as vellumark run"
    else fail "$bits-bit $name: output differs from vellumark run"; diff <(echo "$linux_out") <(echo "$out") | head -10; fi
  fi
  local pdfs=0 pdf
  for pdf in "$dir/linux"/*.pdf; do
    [ -f "$pdf" ] || continue
    pdfs=$((pdfs + 1))
    local win="$dir/$(basename "$pdf")"
    if [ ! -f "$win" ]; then fail "$bits-bit $name: $(basename "$pdf") not written"; continue; fi
    if qpdf --check "$win" >/dev/null 2>&1; then pass "$bits-bit $name: $(basename "$pdf") passes qpdf --check"
    else fail "$bits-bit $name: qpdf --check $(basename "$pdf")"; fi
    if cmp -s <(normalise_pdf "$pdf") <(normalise_pdf "$win"); then pass "$bits-bit $name: $(basename "$pdf") as vellumark run"
    else fail "$bits-bit $name: $(basename "$pdf") differs from vellumark run"; fi
  done
  [ "$pdfs" -gt 0 ] || fail "$bits-bit $name: vellumark run wrote no PDF"
}

for bits in 64 32; do
  if [ "$bits" = 64 ]; then
    wine=/usr/lib/wine/wine64
  else
    wine=/usr/lib/wine/wine
    if ! "$wine" --version >/dev/null 2>&1; then
      echo "SKIP: 32-bit: this machine cannot run 32-bit programs (build-win32/VellumarkX.dll is built, not run)"
      continue
    fi
  fi
  export WINEPREFIX="$work/prefix-$bits"
  prefixes+=("$WINEPREFIX")
  [ "$bits" = 32 ] && export WINEARCH=win32 || unset WINEARCH
  $wine wineboot -i >/dev/null 2>&1
  install_dir="$WINEPREFIX/drive_c/Vellumark Test"
  mkdir -p "$install_dir"
  cp "build-win$bits/VellumarkX.dll" "$install_dir/"
  dll='C:\Vellumark Test\VellumarkX.dll'

  if $wine regsvr32 /s "$dll" >/dev/null 2>&1; then pass "$bits-bit regsvr32"; else fail "$bits-bit regsvr32"; continue; fi
  key="HKCR\\CLSID\\$clsid"
  expect_value "$key" "" "PDFDoc Control"
  server="$(reg_value "$key\\InprocServer32" "")"
  if [ -n "$server" ] && [[ "$server" != *" "* ]] && [[ "${server^^}" == *.DLL ]]; then pass "InprocServer32 short path $server"
  else fail "InprocServer32 '$server' is not a short path"; fi
  expect_value "$key\\InprocServer32" ThreadingModel Apartment
  expect_value "HKCR\\VellumarkX.PDFDoc" "" "PDFDoc Control"
  expect_value "HKCR\\VellumarkX.PDFDoc\\Clsid" "" "$clsid"
  expect_value "$key\\ProgID" "" "VellumarkX.PDFDoc"
  expect_value "$key\\Version" "" "2.3"
  expect_value "$key\\TypeLib" "" "$libid"
  expect_value "$key\\MiscStatus" "" "0"
  expect_value "$key\\MiscStatus\\1" "" "131473"
  expect_value "$key\\ToolboxBitmap32" "" "$dll,1"
  expect_key "$key\\Control"
  expect_key "$key\\Verb"
  expect_value "$key\\Verb\\0" "" "Properties,0,2"
  expect_value "HKCR\\TypeLib\\$libid\\2.3\\409\\win$bits" "" "$dll"

  # The early-bound client: exports, every slot against the member table and
  # the type library, typed results and errors, IDispatch, bitmap handles.
  mkdir -p "$work/early-$bits"
  cp "build-win$bits/EarlyBound.exe" "$work/early-$bits/"
  early="$(cd "$work/early-$bits" && timeout 300 $wine EarlyBound.exe "$dll" "$(winpath "$work/early-$bits")" 2>&1 | tr -d '\r')"
  if grep -qx "END OF TEST" <<<"$early" && grep -qx "0 failure(s)" <<<"$early"; then
    pass "$bits-bit early-bound client ($(grep -c '^ok:' <<<"$early") checks)"
  else
    fail "$bits-bit early-bound client"; grep -v '^ok:' <<<"$early" | head -20
  fi

  run_script "$root/tests/windows/draw.vbs" marker
  run_script "$root/tests/windows/draw.js" marker
  # The JScript drawing is the VBScript one: the same PDF as vellumark run of draw.vbs.
  for script in "$root"/examples/*.vbs; do run_script "$script" none; done

  if $wine regsvr32 /u /s "$dll" >/dev/null 2>&1; then pass "$bits-bit regsvr32 /u"; else fail "$bits-bit regsvr32 /u"; fi
  for k in "$key" "HKCR\\VellumarkX.PDFDoc" "HKCR\\TypeLib\\$libid"; do expect_no_key "$k"; done
  wineserver -k 2>/dev/null
done

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all Windows checks passed"
