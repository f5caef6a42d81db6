#!/usr/bin/env bash
# A whole tree encrypted by the window's folder command under Wine (batch_bench.exe tree,
# with a WM_NULL probe every 20 ms) against qzcrypt -r native on a tree of the same shape
# on the same disk.
#
#   bench_tree_window.sh WINDOWS_BUILD_DIR QZCRYPT [FILES] [FOLDERS]
set -euo pipefail
if [[ $# -lt 2 ]]; then
  echo "usage: $0 WINDOWS_BUILD_DIR QZCRYPT [FILES] [FOLDERS]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
qzcrypt=$(realpath "$2")
files=${3:-10000} folders=${4:-100}
root=$(cd "$(dirname "$0")/../.." && pwd)

# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
qz_wine_prefix
qz_wine_window_manager none
xvfb-run -a wine "$build/tests/bench/batch_bench.exe" tree "$files" "$folders" | tr -d '\r'

work="$WINEPREFIX/drive_c/qz-tree-native"
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 - "$work/tree" "$files" "$folders" <<'PY'
import os, sys
root, count, spread = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
block = bytes((i * 7) % 256 for i in range(4096))
for i in range(count):
    folder = os.path.join(root, "g%02d" % (i % spread % 10), "f%04d" % (i % spread))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file %05d.dat" % i), "wb") as f:
        f.write(block)
PY
printf 'bench password\n' >"$work/password"
sync
start=$(date +%s.%N)
"$qzcrypt" encrypt -r --quiet --password-file "$work/password" "$work/tree"
end=$(date +%s.%N)
printf 'qzcrypt -r native, the same tree: %.2f s (%d encrypted)\n' "$(awk "BEGIN { print $end - $start }")" \
  "$(find "$work/tree" -name '*.qz' | wc -l)"
