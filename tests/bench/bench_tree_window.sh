#!/usr/bin/env bash
# A whole tree encrypted by Lockmere.exe under Wine from the folder's context menu with
# "包括子文件夹" ticked (a WM_NULL probe every 20 ms) against qzcrypt -r native on a tree of
# the same shape on the same disk.
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
QZ_E2E_TREE_FILES=$files QZ_E2E_TREE_FOLDERS=$folders xvfb-run -a wine "$build/tests/e2e/lockmere_e2e_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter='BusyWindowTest.DISABLED_AWholeTreeFromTheContextMenu' |
  tr -d '\r' | grep -E -A4 '^\[ figure \]|^a slow answer|^\[  (PASSED|FAILED) |Failure' || true

work="$WINEPREFIX/drive_c/qz-tree-native"
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$root/tests/bench/make_tree.py" "$work/tree" "$files" "$folders" 4096 pattern 'file %05d.dat'
printf 'bench password\n' >"$work/password"
sync
start=$(date +%s.%N)
"$qzcrypt" encrypt -r --quiet --password-file "$work/password" "$work/tree"
end=$(date +%s.%N)
printf 'qzcrypt -r native, the same tree: %.2f s (%d encrypted)\n' "$(awk "BEGIN { print $end - $start }")" \
  "$(find "$work/tree" -name '*.qz' | wc -l)"
