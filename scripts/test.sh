#!/usr/bin/env bash
# Builds everything and runs every test: the native suite (plain and under ASan and
# UBSan), the Windows suite under Wine, and a short fuzzing run. Ends with one line
# "Total: N passed, N failed" that counts test cases (", N skipped" follows when any were
# skipped), after a line for each failing or skipped case and a line with the counts of
# each build; exits non-zero when anything failed.
set -uo pipefail
# Only Debian's packages' commands: nothing installed by hand (/usr/local, pyenv) stands
# in for one that bootstrap must provide (scripts/check_commands.py checks the same PATH).
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
root=$(cd "$(dirname "$0")/.." && pwd)
# QZ_BUILD_ROOT puts the build trees elsewhere, so that two checkouts or two people can
# test side by side. Wine takes only absolute paths.
build=${QZ_BUILD_ROOT:-$root/build}
case "$build" in /*) ;; *) build=$PWD/$build ;; esac
jobs=2
"$root/scripts/bootstrap.sh" || exit 1

passed=0
failed=0
skipped=0
failures=()
skips=()
builds=()
status=0
logdir="$build/logs"
mkdir -p "$logdir"

# One build's counts, for the line above the total.
build_counts() {
  local line="$1 $2 passed, $3 failed"
  [ "$4" -eq 0 ] || line+=", $4 skipped"
  builds+=("$line")
}

fail_suite() {
  echo "FAILED: $1"
  failed=$((failed + 1))
  failures+=("$1")
  build_counts "${1%% *}" 0 1 0
  status=1
}

# Runs ctest in a build tree and adds its cases to the totals: every case of a GoogleTest
# program or a Python test script counts, not just the ctest entry, and fixtures do not
# (count_tests.py, which also lists the cases of a program that ended without its report,
# so it runs under the same wrapper as ctest). GoogleTest programs that run as one entry
# write their cases to $dir/gtest-results.
run_ctest() {
  local name=$1 dir=$2
  shift 2
  local log="$logdir/$name.log" junit="$logdir/$name-junit.xml" tests="$logdir/$name-tests.json"
  rm -rf "$dir/gtest-results" "$junit" "$tests"
  (cd "$dir" && ctest --show-only=json-v1 >"$tests")
  mkdir -p "$dir/gtest-results"
  echo "== tests: $name"
  (cd "$dir" && "$@" ctest --output-on-failure -j"$jobs" --timeout 900 \
    --output-junit "$junit" --test-output-size-passed 1048576) 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  [ "$rc" -eq 0 ] || status=1
  if [ ! -s "$junit" ]; then
    fail_suite "$name (ctest wrote no results)"
    return
  fi
  local line p=0 f=1 s=0
  while IFS= read -r line; do
    case "$line" in
      counts\ *) read -r _ p f s <<<"$line" ;;
      FAILED:\ *) failures+=("$name: ${line#FAILED: }") ;;
      SKIPPED:\ *) skips+=("$name: ${line#SKIPPED: }") ;;
    esac
  done < <(cd "$dir" && "$@" python3 "$root/scripts/count_tests.py" "$junit" \
             "$dir/gtest-results" "$tests")
  passed=$((passed + p))
  failed=$((failed + f))
  skipped=$((skipped + s))
  [ "$f" -eq 0 ] || status=1
  build_counts "$name" "$p" "$f" "$s"
}

build_tree() {
  local name=$1 dir=$2
  shift 2
  echo "== build: $name"
  # Our own builds treat warnings as errors; a user's build does not.
  if ! cmake -S "$root" -B "$dir" -G Ninja -DQZ_WARNINGS_AS_ERRORS=ON "$@" >"$logdir/$name-configure.log" 2>&1; then
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
  # Z: is Wine's drive for the Linux root; a bare /path would land below the current folder.
  run_ctest windows "$build/windows" env GTEST_OUTPUT="xml:Z:$build/windows/gtest-results/" \
    xvfb-run -a
  wineserver -k 2>/dev/null || true
fi

if build_tree fuzz "$build/fuzz" -DQZ_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++; then
  run_ctest fuzz "$build/fuzz" env
fi

echo
for f in "${skips[@]}"; do echo "skipped: $f"; done
for f in "${failures[@]}"; do echo "failed: $f"; done
# The same cases as the total, by build: the native cases run twice (plain and sanitized).
(IFS=';'; echo "By build: ${builds[*]}" | sed 's/;/; /g')
if [ "$skipped" -gt 0 ]; then
  echo "Total: $passed passed, $failed failed, $skipped skipped"
else
  echo "Total: $passed passed, $failed failed"
fi
exit $status
