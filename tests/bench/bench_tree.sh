#!/usr/bin/env bash
# Times qzcrypt -r over a whole folder tree against one openssl process per file, and
# measures qzcrypt's peak memory on a larger tree.
#
#   bench_tree.sh QZCRYPT [FILES] [FOLDERS] [BIG_FILES] [BIG_FOLDERS]
#
# FILES files of 4 KiB spread over FOLDERS sub-folders (default 10000 in 100) are encrypted
# into ".qz" files by `qzcrypt encrypt -r --keep --force` and by `openssl enc -rc4` run once
# for each file with the same 16-byte key (5 MD5 bytes of the password, 11 zero bytes);
# both end with their outputs on stable storage (openssl's by one `sync` at the end). The
# best of ROUNDS runs counts. Then BIG_FILES small files in BIG_FOLDERS folders (default
# 100000 in 1000) are encrypted once under /usr/bin/time -v for the peak memory.
#
# Environment: BENCH_DIR  folder for the scratch files (default /work; not tmpfs)
#              ROUNDS     runs of each (default 3)
#              KEEP=1     keep the scratch folder
set -euo pipefail

if [[ $# -lt 1 || ! -x $1 ]]; then
  echo "usage: $0 QZCRYPT [FILES] [FOLDERS] [BIG_FILES] [BIG_FOLDERS]" >&2
  exit 2
fi
qzcrypt=$(realpath "$1")
files=${2:-10000} folders=${3:-100} big_files=${4:-100000} big_folders=${5:-1000}
rounds=${ROUNDS:-3}
base=${BENCH_DIR:-/work}

work=$(mktemp -d "$base/qztree.XXXXXX")
cleanup() { [[ ${KEEP:-0} == 1 ]] || rm -rf "$work"; }
trap cleanup EXIT

password='bench password'
printf '%s\n' "$password" >"$work/password"
digest=$(printf '%s' "$password" | openssl md5 -r | cut -c1-10)
key="${digest}0000000000000000000000"

# count files of size bytes in spread sub-folders of root, each in a folder two deep.
make_tree() { /usr/bin/python3 "$(dirname "$0")/make_tree.py" "$@"; }

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
min() { printf '%s\n' "$@" | sort -g | head -1; }
timed() {
  sync
  local start end
  start=$(now)
  "$@" >/dev/null
  end=$(now)
  calc "$end - $start"
}

tree="$work/tree" peer="$work/peer"
make_tree "$tree" "$files" "$folders" 4096
# openssl's outputs go to a copy: in the same tree the next qzcrypt -r would take them too.
cp -a "$tree" "$peer"
find "$peer" -name '*.txt' | sort >"$work/list"

qz_tree() { "$qzcrypt" encrypt -r --keep --force --quiet --password-file "$work/password" "$tree"; }
ossl_each() {
  while IFS= read -r f; do
    openssl enc -rc4 -provider legacy -provider default -K "$key" -nopad -in "$f" -out "$f.rc4"
  done <"$work/list"
  sync
}

# The same bytes first: a .qz file's body is the RC4 stream of its header's key.
qz_tree
ossl_each
first=$(head -1 "$work/list")
cmp <(tail -c +257 "$tree/${first#"$peer"/}.qz") "$first.rc4" || {
  echo "qzcrypt and openssl disagree on the body" >&2
  exit 1
}

qt=() ot=()
for ((r = 1; r <= rounds; r++)); do
  qt+=("$(timed qz_tree)")
  ot+=("$(timed ossl_each)")
  echo "round $r: qzcrypt -r ${qt[-1]} s, openssl per file ${ot[-1]} s"
done
best_q=$(min "${qt[@]}") best_o=$(min "${ot[@]}")
printf 'best of %d, %d files of 4 KiB in %d folders: qzcrypt -r %.2f s, openssl %.2f s  ratio %.3f\n' \
  "$rounds" "$files" "$folders" "$best_q" "$best_o" "$(calc "$best_q / $best_o")"
rm -rf "$tree" "$peer"

big="$work/big"
make_tree "$big" "$big_files" "$big_folders" 64
/usr/bin/time -v "$qzcrypt" encrypt -r --quiet --password-file "$work/password" "$big" 2>"$work/time" >/dev/null
peak=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time")
encrypted=$(find "$big" -name '*.qz' | wc -l)
printf '%d files in %d folders: %d encrypted, peak memory %d KiB\n' "$big_files" "$big_folders" "$encrypted" "$peak"
