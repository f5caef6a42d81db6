#!/usr/bin/env bash
# Builds everything and runs every test: the native suite (plain and under ASan and
# UBSan), the Windows suite under Wine, and a short fuzzing run. Ends with one line
# "Total: N passed, N failed"; exits non-zero when anything failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# QZ_BUILD_ROOT puts the build trees elsewhere, so that two checkouts or two people can
# test side by side. Wine takes only absolute paths.
build=${QZ_BUILD_ROOT:-$root/build}
case "$build" in /*) ;; *) build=$PWD/$build ;; esac
jobs=2
"$root/scripts/bootstrap.sh" || exit 1

passed=0
failed=0
status=0
logdir="$build/logs"
mkdir -p "$logdir"

fail_suite() {
  echo "FAILED: $1"
  failed=$((failed + 1))
  status=1
}

# Runs ctest in a build tree and adds its counts to the totals.
run_ctest() {
  local name=$1 dir=$2
  shift 2
  local log="$logdir/$name.log"
  echo "== tests: $name"
  (cd "$dir" && "$@" ctest --output-on-failure -j"$jobs" --timeout 900) 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    local bad total
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  elif [ "$rc" -ne 0 ]; then
    fail_suite "$name (ctest)"
  fi
  [ "$rc" -eq 0 ] || status=1
}

build_tree() {
  local name=$1 dir=$2
  shift 2
  echo "== build: $name"
  if ! cmake -S "$root" -B "$dir" -G Ninja "$@" >"$logdir/$name-configure.log" 2>&1; then
    cat "$logdir/$name-configure.log"
    fail_suite "$name (configure)"
    return 1
  fi
  if ! cmake --build "$dir" -j"$jobs" >"$logdir/$name-build.log" 2>&1; then
    tail -60 "$logdir/$name-build.log"
    fail_suite "$name (build)"
    return 1
  fi
}

if build_tree native "$build/native"; then
  run_ctest native "$build/native"
fi

if build_tree sanitized "$build/sanitized" -DQZ_SANITIZE=ON; then
  run_ctest sanitized "$build/sanitized"
fi

if build_tree windows "$build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"; then
  # shellcheck source=wine-env.sh
  . "$root/scripts/wine-env.sh" "$build/windows"
  qz_wine_prefix
  qz_wine_window_manager none
  run_ctest windows "$build/windows" xvfb-run -a
  wineserver -k 2>/dev/null || true
fi

if build_tree fuzz "$build/fuzz" -DQZ_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++; then
  run_ctest fuzz "$build/fuzz" env
fi

echo
echo "Total: $passed passed, $failed failed"
exit $status
