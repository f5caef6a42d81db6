#!/usr/bin/env bash
# One run of a batch of small strong files, for timing from outside:
#
#   bench_strong_batch.sh QZCRYPT batch|single|decrypt-batch|decrypt-single [FILES] [KIB]
#
# batch:  one qzcrypt run over a folder of FILES files of KIB KiB (default 100 of 4), so
#         the next files' keys are made on other cores while one is written;
# single: the same files one qzcrypt run each, one after another: the time the batch is
#         measured against.
# decrypt-batch, decrypt-single: the same for decrypting such files. Their ".age" files
#         are made once (untimed by a timer that skips a first run) into
#         BENCH_DIR/qzbatch-age-FILES-KIB and copied afresh for each run.
# Each run starts from fresh files in its own scratch folder (BENCH_DIR, default /dev/shm)
# and removes it. The work factor is qzcrypt's default (18: 256 MiB a key). With
# CHECK=1 the outputs are checked afterwards: each decrypts with qzcrypt, and the first
# three with Debian's age.
set -euo pipefail

modes='^(decrypt-)?(batch|single)$'
if [[ $# -lt 2 || ! -x $1 || ! $2 =~ $modes ]]; then
  echo "usage: $0 QZCRYPT batch|single|decrypt-batch|decrypt-single [FILES] [KIB]" >&2
  exit 2
fi
qzcrypt=$(realpath "$1")
mode=$2
files=${3:-100}
kib=${4:-4}
base=${BENCH_DIR:-/dev/shm}

work=$(mktemp -d "$base/qzbatch.XXXXXX")
trap 'rm -rf "$work"' EXIT
printf 'bench password' >"$work/password"
mkdir "$work/files"
head -c $((files * kib * 1024)) /dev/urandom | split -a 3 -d -b "${kib}K" - "$work/files/f"
[[ ${CHECK:-0} == 1 ]] && cp -r "$work/files" "$work/plain"

if [[ $mode == decrypt-* ]]; then
  made="$base/qzbatch-age-$files-$kib"
  if [[ ! -d $made ]]; then
    cp -r "$work/files" "$work/made"
    "$qzcrypt" encrypt --strong --quiet --password-file "$work/password" "$work/made"
    mv "$work/made" "$made"
  fi
  rm -r "$work/files"
  cp -r "$made" "$work/files"
  if [[ $mode == decrypt-batch ]]; then
    "$qzcrypt" decrypt --quiet --password-file "$work/password" "$work/files"
  else
    for f in "$work"/files/f*.age; do
      "$qzcrypt" decrypt --quiet --password-file "$work/password" "$f"
    done
  fi
  [[ $(find "$work/files" -name '*.age' | wc -l) == 0 ]]
  exit 0
fi

if [[ $mode == batch ]]; then
  "$qzcrypt" encrypt --strong --quiet --password-file "$work/password" "$work/files"
else
  for f in "$work"/files/f*; do
    "$qzcrypt" encrypt --strong --quiet --password-file "$work/password" "$f"
  done
fi

if [[ ${CHECK:-0} == 1 ]]; then
  driver="$(dirname "$(realpath "$0")")/../common/terminal_password.py"
  [[ $(find "$work/files" -type f -name 'f*.age' | wc -l) == "$files" ]]
  mkdir "$work/out"
  for f in "$work"/plain/f*; do
    name=$(basename "$f")
    "$qzcrypt" decrypt --keep --quiet --password-file "$work/password" "$work/files/$name.age"
    cmp "$f" "$work/files/$name"
  done
  for name in $(ls "$work/plain" | head -3); do
    TTY_PASSWORD='bench password' python3 "$driver" age -d -o "$work/out/$name" "$work/files/$name.age" >/dev/null
    cmp "$work/plain/$name" "$work/out/$name"
  done
  echo "checked: $files outputs decrypt with qzcrypt, 3 with age"
fi
