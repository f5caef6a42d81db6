#!/usr/bin/env bash
# Times qzcrypt's strong files against Debian's age on one random file in memory.
#
#   bench_strong.sh QZCRYPT [MIB]
#
# QZCRYPT is the qzcrypt binary; MIB the file size (default 1024). Both tools write the
# same format with the same password at work factor 18, and both read it from the
# terminal through tests/common/terminal_password.py, so they start on equal terms. The empty
# file's rows time the password step (scrypt) alone. Each operation runs ROUNDS times
# (default 3); the best time counts. Prints the ratio qzcrypt / age for each.
#
# Environment: BENCH_DIR  folder for the scratch files (default /dev/shm)
#              ROUNDS     runs per operation (default 3)
set -euo pipefail

if [[ $# -lt 1 || ! -x $1 ]]; then
  echo "usage: $0 QZCRYPT [MIB]" >&2
  exit 2
fi
qzcrypt=$(realpath "$1")
mib=${2:-1024}
rounds=${ROUNDS:-3}
base=${BENCH_DIR:-/dev/shm}
driver="$(dirname "$(realpath "$0")")/../common/terminal_password.py"

work=$(mktemp -d "$base/qzstrong.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TTY_PASSWORD='bench password'
head -c $((mib * 1024 * 1024)) /dev/urandom >"$work/data"
: >"$work/empty"

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
timed() {
  local start end
  start=$(now)
  "$@" >/dev/null
  end=$(now)
  calc "$end - $start"
}
min() { printf '%s\n' "$@" | sort -g | head -1; }
typed() { python3 "$driver" "$@"; }

# NAME: data or empty. Outputs go to their own folders so that neither tool meets the
# other's files.
qz_encrypt() {
  rm -f "$work/qz/$1.age"
  typed "$qzcrypt" encrypt --strong --keep --quiet "$work/qz/$1"
}
age_encrypt() {
  rm -f "$work/age/$1.age"
  typed age -p -o "$work/age/$1.age" "$work/$1"
}
qz_decrypt() {
  rm -f "$work/qzd/$1"
  typed "$qzcrypt" decrypt --keep --quiet "$work/qzd/$1.age"
}
age_decrypt() {
  rm -f "$work/aged/$1"
  typed age -d -o "$work/aged/$1" "$work/qzd/$1.age"
}

mkdir "$work/qz" "$work/age" "$work/qzd" "$work/aged"
for name in data empty; do
  cp "$work/$name" "$work/qz/$name"
  qz_encrypt "$name"
  cp "$work/qz/$name.age" "$work/qzd/$name.age"
  chmod u+w "$work/qzd/$name.age"
  # Each tool must read what the other wrote before the times mean anything.
  # (age writes no file at all for an empty plaintext.)
  age_decrypt "$name" && cmp "$work/$name" <(cat "$work/aged/$name" 2>/dev/null)
  age_encrypt "$name"
done
typed "$qzcrypt" decrypt --keep --quiet --force "$work/age/data.age"
cmp "$work/data" "$work/age/data"

declare -A best
for op in encrypt decrypt; do
  for name in data empty; do
    q=() a=()
    for ((r = 1; r <= rounds; r++)); do
      q+=("$(timed "qz_$op" "$name")")
      a+=("$(timed "age_$op" "$name")")
    done
    best[qz_${op}_$name]=$(min "${q[@]}")
    best[age_${op}_$name]=$(min "${a[@]}")
  done
done

printf 'best of %d, work factor 18, in %s:\n' "$rounds" "$base"
for op in encrypt decrypt; do
  for name in data empty; do
    label=$([[ $name == data ]] && echo "$mib MiB" || echo "password step (empty file)")
    q=${best[qz_${op}_$name]} a=${best[age_${op}_$name]}
    printf '  %s %s: qzcrypt %.3f s, age %.3f s  ratio %.3f\n' "$op" "$label" "$q" "$a" \
      "$(calc "$q / $a")"
  done
done
