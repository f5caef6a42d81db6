#!/usr/bin/env bash
# The window's answers during one large encryption: the end-to-end probe (WM_NULL every
# 50 ms, slowest answer) at MIB (default 2048) instead of the tests' 512, and the time from
# a click on "取消" to the window's return for a file of the same size.
#
#   bench_busy_window.sh WINDOWS_BUILD_DIR [MIB]
set -euo pipefail
if [[ $# -lt 1 ]]; then
  echo "usage: $0 WINDOWS_BUILD_DIR [MIB]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
qz_wine_prefix
qz_wine_window_manager none
export QZ_E2E_BUSY_MIB=${2:-2048}
xvfb-run -a wine "$build/tests/e2e/lockmere_e2e_tests.exe" \
  --gtest_filter='BusyWindowTest.TheWindowAnswers*:BusyWindowTest.CancelByMouse*' | tr -d '\r' |
  grep -E '^\[ figure \]|^a slow answer|^\[  (PASSED|FAILED) '
