#!/bin/sh
# Runs the benchmark programs from a build folder (builds nothing) and
# prints their PASS/FAIL lines as a summary at the end.
#   bench/run.sh /work/main/build-bench
set -u
if [ $# -lt 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
dir=$1/bench
if [ ! -d "$dir" ]; then
    echo "no benchmark programs in $dir (configure with VELLUMARK_BENCH=ON and build first)" >&2
    exit 2
fi

log=$(mktemp /tmp/vellumark_bench_run.XXXXXX)
trap 'rm -f "$log"' EXIT INT TERM

progs="bench_format_real bench_save bench_libharu bench_layout bench_text_report bench_group4
    bench_jpeg_passthrough bench_image_flate bench_script_host"
# ...and every other benchmark program built.
for prog in $(cd "$dir" && ls bench_* 2>/dev/null); do
    case " $(echo $progs) " in *" $prog "*) ;; *) [ -x "$dir/$prog" ] && progs="$progs $prog" ;; esac
done
for prog in $progs; do
    echo "===== $prog"
    if [ -x "$dir/$prog" ]; then
        "$dir/$prog" 2>&1 | tee -a "$log"
    else
        echo "$prog: not built, skipped" | tee -a "$log"
    fi
    echo
done

echo "===== summary"
grep -E 'PASS|FAIL|not built|peak memory' "$log"
passed=$(grep -c 'PASS$' "$log")
failed=$(grep -c 'FAIL$' "$log")
echo "$passed passed, $failed failed"
