#!/usr/bin/env bash
# Folder batches: the main window under Wine (batch_bench.exe) over SMALL and LARGE files
# of 4 KiB, and qzcrypt natively on a folder of LARGE such files, in one run.
#
#   bench_batches.sh WINDOWS_BUILD_DIR QZCRYPT [SMALL] [LARGE]
#
# WINDOWS_BUILD_DIR is the cross build tree (with tests/bench/batch_bench.exe), QZCRYPT
# the native qzcrypt. BENCH_DIR (default /work) holds qzcrypt's scratch folder.
set -euo pipefail
if [[ $# -lt 2 ]]; then
  echo "usage: $0 WINDOWS_BUILD_DIR QZCRYPT [SMALL] [LARGE]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
qzcrypt=$(realpath "$2")
small=${3:-200}
large=${4:-2000}
root=$(cd "$(dirname "$0")/../.." && pwd)

# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
qz_wine_prefix
qz_wine_window_manager none
echo "== Lockmere.exe folder batches under Wine"
xvfb-run -a wine "$build/tests/bench/batch_bench.exe" "$small" "$large"

echo "== qzcrypt encrypt, natively, $large files of 4 KiB"
scratch=$(mktemp -d "${BENCH_DIR:-/work}/qz-batch-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/folder"
head -c 4096 /dev/urandom >"$scratch/block"
for i in $(seq -w 1 "$large"); do cp "$scratch/block" "$scratch/folder/file $i.dat"; done
printf 'bench password\n' >"$scratch/password"
start=$(date +%s.%N)
"$qzcrypt" encrypt --quiet --password-file "$scratch/password" "$scratch/folder"
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" -v n="$large" \
  'BEGIN { printf "qzcrypt %5d files: %7.2f s, %.2f ms per file\n", n, e - s, (e - s) * 1000 / n }'
