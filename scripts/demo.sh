#!/usr/bin/env bash
# Installs what is needed, builds, and runs every example script into out/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/setup.sh
scripts/build.sh build -DVELLUMARK_BENCH=OFF
mkdir -p out
# Examples that read sample images find them in data/ beside them.
rm -rf out/data && cp -r examples/data out/data
status=0
for script in examples/*.vbs; do
  name="$(basename "$script")"
  if (cd out && "$root/build/vellumark" run "$root/$script"); then
    echo "demo: $name ok"
  else
    echo "demo: $name FAILED" >&2
    status=1
  fi
done
echo "demo: PDFs are in $root/out:"
ls -1 out/*.pdf 2>/dev/null || true
exit $status
