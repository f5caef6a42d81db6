#!/usr/bin/env bash
# Strong encryption of one large file: the main window under Wine (strong_bench.exe)
# against the native qzcrypt, on the same disk, best of ROUNDS (default 3), in one run.
#
#   bench_strong_window.sh WINDOWS_BUILD_DIR QZCRYPT [MIB]
#
# Both end with the output on stable storage and read the password from memory or a
# file, so only the work itself is compared.
set -euo pipefail
if [[ $# -lt 2 ]]; then
  echo "usage: $0 WINDOWS_BUILD_DIR QZCRYPT [MIB]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
qzcrypt=$(realpath "$2")
mib=${3:-1024}
rounds=${ROUNDS:-3}
root=$(cd "$(dirname "$0")/../.." && pwd)

# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
qz_wine_prefix
qz_wine_window_manager none
work="$WINEPREFIX/drive_c/qz-strong-bench"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
head -c $((mib * 1024 * 1024)) /dev/urandom >"$work/source"
printf 'bench password\n' >"$work/password"

now() { date +%s.%N; }
best_window= best_native=
for ((r = 1; r <= rounds; r++)); do
  cp "$work/source" "$work/data"
  sync
  line=$(xvfb-run -a wine "$build/tests/bench/strong_bench.exe" 'C:\qz-strong-bench\data' | tr -d '\r')
  window=$(awk '{ print $(NF - 1) }' <<<"$line")
  rm -f "$work/data.age"
  cp "$work/source" "$work/data"
  sync
  start=$(now)
  "$qzcrypt" encrypt --strong --quiet --password-file "$work/password" "$work/data"
  native=$(awk -v s="$start" -v e="$(now)" 'BEGIN { print e - s }')
  rm -f "$work/data.age"
  echo "round $r: Lockmere.exe under Wine $window s, qzcrypt natively $native s"
  best_window=$(printf '%s\n' $best_window "$window" | sort -g | head -1)
  best_native=$(printf '%s\n' $best_native "$native" | sort -g | head -1)
done
awk -v w="$best_window" -v n="$best_native" -v m="$mib" \
  'BEGIN { printf "best of rounds, %d MiB: Lockmere.exe %.3f s, qzcrypt %.3f s, ratio %.2f\n", m, w, n, w / n }'
