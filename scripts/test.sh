#!/usr/bin/env bash
# Installs what is needed, builds and runs the whole test suite, then the same
# suite built with AddressSanitizer and UndefinedBehaviorSanitizer, then each
# fuzzer for a short while, then the Windows control under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/setup.sh
jobs="$(nproc)"

# In CI a warning fails the build, and a skipped test fails the run: a tool
# missing on a fresh machine must not silently remove coverage.
strict=()
if [ "${CI:-}" = true ]; then strict=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON); fi
run_ctest() {
  local dir="$1" log
  log="$(mktemp)"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" | tee "$log"
  if [ "${CI:-}" = true ] && grep -q '(Skipped)' "$log"; then
    echo "skipped tests are failures in CI:" >&2
    grep '(Skipped)' "$log" >&2
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
}

echo "== the test images of other projects (Debian source packages), for the real-world decoding test"
# A failure here does not stop the run: with CI=true the test then fails
# because the files are missing.
scripts/fetch-realworld-images.sh || echo "fetching the real-world test images failed" >&2

echo "== build and test"
scripts/build.sh build "${strict[@]}"
run_ctest build

echo "== install and use the library as a new user would (CMake, pkg-config, Python, Debian package)"
scripts/check-install.sh build --deb

echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DVELLUMARK_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMARK_BENCH=OFF "${strict[@]}"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest build-asan

echo "== fuzz each parser for ${FUZZ_SECONDS:-20} s"
CC=clang-14 CXX=clang++-14 scripts/build.sh build-fuzz -DVELLUMARK_FUZZ=ON -DVELLUMARK_TESTS=OFF -DVELLUMARK_BENCH=OFF
# One fuzzer per parser, as many at a time as there are processors.
fuzz_one() {
  local target="$1" seeds
  mkdir -p "build-fuzz/corpus-$target"
  # The script fuzzer starts from the bundled examples, the scripts of the
  # Windows checks and its own seeds.
  if [ "$target" = script ]; then seeds="examples tests/windows fuzz/corpus/script"; else seeds="fuzz/corpus/$target"; fi
  if ! "build-fuzz/fuzz/fuzz_$target" -max_total_time="${FUZZ_SECONDS:-20}" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="build-fuzz/$target-" "build-fuzz/corpus-$target" $seeds \
      >"build-fuzz/fuzz_$target.log" 2>&1; then
    tail -50 "build-fuzz/fuzz_$target.log"
    echo "fuzzer fuzz_$target found a problem" >&2
    return 1
  fi
  echo "fuzz_$target: $(grep -E '^#[0-9]+.*DONE' "build-fuzz/fuzz_$target.log" | tail -1)"
}
export -f fuzz_one
ls fuzz/fuzz_*.cpp | sed 's|fuzz/fuzz_||; s|\.cpp$||' | xargs -P "$jobs" -I{} bash -c 'fuzz_one {}'

echo "== the Windows control, cross-built and tested under Wine"
scripts/test-windows.sh

echo "== the Windows package"
scripts/package-windows.sh --no-build
