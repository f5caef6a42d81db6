#!/usr/bin/env bash
# The window's answers during one large encryption into ".qz", then ".age": the end-to-end
# probe (WM_NULL every 20 ms from OK to the closing message, slowest answer and when) at MIB
# (default 2048) instead of the tests' 512, and a click on "取消" to the window's return.
# A run over the tests' limit is reported like the others and the next one still runs.
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
  grep -E '^\[ figure \]|^a slow answer|^\[  (PASSED|FAILED) ' || true
QZ_E2E_BUSY_STRONG=1 xvfb-run -a wine "$build/tests/e2e/lockmere_e2e_tests.exe" \
  --gtest_filter='BusyWindowTest.TheWindowAnswers*' | tr -d '\r' | grep -E '^\[ figure \]|^a slow answer|^\[  (PASSED|FAILED) ' || true
