#!/usr/bin/env bash
# The Windows control's checks for one bitness, the same wherever they run:
# scripts/test-windows.sh runs them under Wine on the host, and
# scripts/test-windows32-vm.sh runs the 32-bit ones inside a small emulated
# machine when the host cannot run 32-bit programs.
#
#   scripts/windows-checks.sh expect EXPECTED-DIR
#     runs every checked script with `vellumark run` (build/vellumark) and keeps
#     its output and the PDFs it wrote in EXPECTED-DIR, a folder per script.
#
#   scripts/windows-checks.sh BITS DLL-DIR EXPECTED-DIR
#     with DLL-DIR/VellumarkX.dll and DLL-DIR/EarlyBound.exe, in a fresh private
#     Wine prefix (or in the prepared one that VELLUMARK_WINEPREFIX names):
#   - registers the DLL with regsvr32 from a folder whose path has a space,
#     and checks every registry key and value;
#   - runs the early-bound client (control/com/tests/EarlyBound.cpp);
#   - runs tests/windows/draw.vbs, draw.js, unicode.vbs and language.vbs under cscript and checks the
#     marker line, the PDF (qpdf --check) and that the PDF and the VBScript's
#     output equal those of `vellumark run` on the same script (creation date
#     aside, line ends normalised);
#   - runs every script in examples/ the same way;
#   - unregisters and checks that the keys are gone.
#   It prints a line per check ("ok:   ..." or "FAIL: ..."), then the counts,
#   and exits with 1 if any check failed. Wine and the control open windows
#   (in-place activation, the About box), so the checks run on a virtual
#   display of their own.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

usage() {
  echo "usage: scripts/windows-checks.sh expect EXPECTED-DIR" >&2
  echo "       scripts/windows-checks.sh 32|64 DLL-DIR EXPECTED-DIR" >&2
  exit 2
}

# The scripts that are run, each with what its output must show: "marker" (the
# line END OF TEST, and the output of vellumark run) or "none" (the PDFs only).
# The JScript drawing is the VBScript one: the same PDF as vellumark run of draw.vbs.
checked_scripts() {
  echo "marker $root/tests/windows/draw.vbs"
  echo "marker $root/tests/windows/draw.js"
  echo "marker $root/tests/windows/unicode.vbs"
  echo "marker $root/tests/windows/language.vbs"
  local script
  # multilingual.vbs builds its text with ChrW, which Wine's VBScript lacks:
  # it runs under vellumark run only (tests/windows/unicode.vbs runs the same
  # settings under both hosts).
  for script in "$root"/examples/*.vbs; do
    [ "$(basename "$script")" = multilingual.vbs ] && continue
    echo "none $script"
  done
}

# The expected results' folder of a script: that of the VBScript of the same name.
expected_of() {
  local vbs="${1%.*}.vbs"
  echo "$expected/$(basename "$(dirname "$vbs")")-$(basename "$vbs")"
}

if [ "${1:-}" = expect ]; then
  [ $# -eq 2 ] || usage
  expected="$2"
  vellumark="$root/build/vellumark"
  [ -x "$vellumark" ] || { echo "FAIL: $vellumark is not built"; exit 1; }
  mkdir -p "$expected"
  while read -r _ script; do
    dir="$(expected_of "$script")"
    [ -d "$dir" ] && continue
    vbs="${script%.*}.vbs"
    run="$(mktemp -d)"
    cp -r "$(dirname "$vbs")"/. "$run/"
    (cd "$run" && "$vellumark" run "$(basename "$vbs")" >"$run/.output" 2>&1)
    mkdir -p "$dir"
    mv "$run/.output" "$dir/output.txt"
    for pdf in "$run"/*.pdf; do [ -f "$pdf" ] && mv "$pdf" "$dir/"; done
    rm -rf "$run"
  done < <(checked_scripts)
  exit 0
fi

[ $# -eq 3 ] || usage
bits="$1" dll_dir="$(cd "$2" && pwd)" expected="$(cd "$3" && pwd)"
case "$bits" in 32) wine=/usr/lib/wine/wine ;; 64) wine=/usr/lib/wine/wine64 ;; *) usage ;; esac

if [ -z "${VELLUMARK_XVFB:-}" ]; then
  export VELLUMARK_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

passes=0
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; passes=$((passes + 1)); }
finish() {
  echo "$bits-bit Windows checks: $passes passed, $failures failed"
  if [ "$failures" -gt 0 ]; then exit 1; fi
  exit 0
}

# No Gecko, no Mono, no desktop menu entries.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
work="$(mktemp -d /tmp/vellumark-wintest.XXXXXX)"
fresh_prefix=""
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  [ -n "$fresh_prefix" ] && rm -rf "$fresh_prefix"
  rm -rf "$work"
}
trap cleanup EXIT

clsid='{628DB55E-78CB-46D6-99C9-F65EC47FE138}'
libid='{E29C4F99-D821-46DD-AFAD-277E33F52812}'

winpath() { echo "Z:${1//\//\\}"; }

# PDF text with the creation date blanked.
normalise_pdf() { sed -E 's/\/CreationDate \(D:[^)]*\)/\/CreationDate ()/' "$1"; }

# The registry below the keys that registration writes, read once with reg
# (every Wine program takes seconds in an emulated machine) into lines
# "K<TAB>key" and "V<TAB>key<TAB>name<TAB>type<TAB>data", keys in lower case
# under HKCR, the default value with an empty name.
registry="$work/registry.txt"
read_registry() {
  local k
  for k in "HKCR\\CLSID\\$clsid" "HKCR\\VellumarkX.PDFDoc" "HKCR\\TypeLib\\$libid"; do
    $wine reg query "$k" /s 2>/dev/null
  done | tr -d '\r' | awk -F '    ' '
    /^HKEY_CLASSES_ROOT/ { key = tolower($0); sub(/^hkey_classes_root/, "hkcr", key); print "K\t" key; next }
    $1 == "" && NF >= 4 { print "V\t" key "\t" ($2 == "(Default)" ? "" : $2) "\t" $3 "\t" $4 }' >"$registry"
}
# The data of a registry value as read ("" for the default value), or nothing.
reg_value() {
  KEY="${1,,}" NAME="${2,,}" awk -F '\t' \
    '$1 == "V" && $2 == ENVIRON["KEY"] && tolower($3) == ENVIRON["NAME"] && $4 == "REG_SZ" { print $5; exit }' "$registry"
}
expect_value() {
  local key="$1" name="$2" want="$3" got
  got="$(reg_value "$key" "$name")"
  if [ "$got" = "$want" ]; then pass "$key [${name:-default}] = $want"; else fail "$key [${name:-default}]: '$got', expected '$want'"; fi
}
expect_key() {
  if grep -qxF "K	${1,,}" "$registry"; then pass "key $1"; else fail "key $1 missing"; fi
}
expect_no_key() {
  if $wine reg query "$1" >/dev/null 2>&1; then fail "key $1 still there"; else pass "key $1 gone"; fi
}

# Runs one script under cscript in a copy of its folder; compares the marker,
# the output and every PDF with the expected results of vellumark run.
run_script() {
  local compare_output="$1" script="$2" name dir out want
  name="$(basename "$script")"
  dir="$work/run-$bits-${name%.*}-${name##*.}"
  want="$(expected_of "$script")"
  mkdir -p "$dir"
  cp -r "$(dirname "$script")"/. "$dir/" 2>/dev/null
  out="$(cd "$dir" && timeout 300 $wine cscript //nologo "$name" 2>/dev/null | tr -d '\r')"
  if ! grep -qx "END OF TEST" <<<"$out" && [ "$compare_output" = marker ]; then
    fail "$bits-bit $name: no marker line (the script stopped early)"; return
  fi
  if [ "$compare_output" != none ] && [ "${name##*.}" = vbs ]; then
    if [ "$out" = "$(cat "$want/output.txt" 2>/dev/null)" ]; then pass "$bits-bit $name: output as vellumark run"
    else fail "$bits-bit $name: output differs from vellumark run"; diff "$want/output.txt" <(echo "$out") | head -10; fi
  fi
  local pdfs=0 pdf
  for pdf in "$want"/*.pdf; do
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

if [ -n "${VELLUMARK_WINEPREFIX:-}" ]; then
  export WINEPREFIX="$VELLUMARK_WINEPREFIX"
else
  export WINEPREFIX="$work/prefix-$bits"
  fresh_prefix="$WINEPREFIX"
fi
[ "$bits" = 32 ] && export WINEARCH=win32 || unset WINEARCH
[ -n "$fresh_prefix" ] && timeout 600 $wine wineboot -i >/dev/null 2>&1
# One Wine session for all the checks: a persistent wineserver keeps the
# session's system processes running, so that each program does not boot
# Wine anew (a minute in an emulated machine).
timeout 120 wineserver -w
wineserver -p
install_dir="$WINEPREFIX/drive_c/Vellumark Test"
mkdir -p "$install_dir"
cp "$dll_dir/VellumarkX.dll" "$install_dir/"
dll='C:\Vellumark Test\VellumarkX.dll'

if timeout 300 $wine regsvr32 /s "$dll" >/dev/null 2>&1; then pass "$bits-bit regsvr32"; else fail "$bits-bit regsvr32"; finish; fi
key="HKCR\\CLSID\\$clsid"
read_registry
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
cp "$dll_dir/EarlyBound.exe" "$work/early-$bits/"
early="$(cd "$work/early-$bits" && timeout 300 $wine EarlyBound.exe "$dll" "$(winpath "$work/early-$bits")" 2>&1 | tr -d '\r')"
if grep -qx "END OF TEST" <<<"$early" && grep -qx "0 failure(s)" <<<"$early"; then
  pass "$bits-bit early-bound client ($(grep -c '^ok:' <<<"$early") checks)"
else
  fail "$bits-bit early-bound client"; grep -v '^ok:' <<<"$early" | head -20
fi

while read -r compare script; do run_script "$compare" "$script"; done < <(checked_scripts)

if timeout 300 $wine regsvr32 /u /s "$dll" >/dev/null 2>&1; then pass "$bits-bit regsvr32 /u"; else fail "$bits-bit regsvr32 /u"; fi
for k in "$key" "HKCR\\VellumarkX.PDFDoc" "HKCR\\TypeLib\\$libid"; do expect_no_key "$k"; done
finish
