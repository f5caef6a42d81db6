#!/usr/bin/env bash
# Times qzcrypt against the openssl command line on one large random file.
#
#   bench_qzcrypt.sh QZCRYPT [MIB]
#
# QZCRYPT is the qzcrypt binary; MIB the file size (default 1024). Both tools use
# the same 16-byte RC4 key (5 MD5 bytes of the password, 11 zero bytes) and both
# end with the output on stable storage: qzcrypt syncs its output itself, openssl
# is followed by `sync FILE`. Each operation runs ROUNDS times (default 3); the
# best time counts. Prints the ratio qzcrypt / openssl for encrypt and decrypt.
#
# Environment: BENCH_DIR  folder for the scratch files (default /work; not tmpfs)
#              ROUNDS     runs per operation (default 3)
#              KEEP=1     keep the scratch folder
set -euo pipefail

if [[ $# -lt 1 || ! -x $1 ]]; then
  echo "usage: $0 QZCRYPT [MIB]" >&2
  exit 2
fi
qzcrypt=$(realpath "$1")
mib=${2:-1024}
rounds=${ROUNDS:-3}
base=${BENCH_DIR:-/work}

fstype=$(df --output=fstype "$base" | tail -1 | tr -d ' ')
if [[ $fstype == tmpfs || $fstype == ramfs ]]; then
  echo "$base is $fstype: pick a disk folder with BENCH_DIR" >&2
  exit 2
fi
need_kib=$((mib * 1024 * 5))
avail_kib=$(df --output=avail -k "$base" | tail -1 | tr -d ' ')
if ((avail_kib < need_kib)); then
  echo "$base has $((avail_kib / 1024)) MiB free, $((need_kib / 1024)) MiB needed" >&2
  exit 2
fi

work=$(mktemp -d "$base/qzbench.XXXXXX")
cleanup() { [[ ${KEEP:-0} == 1 ]] || rm -rf "$work"; }
trap cleanup EXIT

password='bench password'
printf '%s\n' "$password" >"$work/password"
digest=$(printf '%s' "$password" | openssl md5 -r | cut -c1-10)
key="${digest}0000000000000000000000"
ossl=(openssl enc -rc4 -provider legacy -provider default -K "$key" -nopad)

mkdir "$work/enc" "$work/dec"
echo "making a $mib MiB random file in $work ($fstype)"
head -c $((mib * 1024 * 1024)) /dev/urandom >"$work/enc/data"
sync

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
# Runs a command after flushing earlier writes, prints its wall time in seconds.
timed() {
  sync
  local start end
  start=$(now)
  "$@" >/dev/null
  end=$(now)
  calc "$end - $start"
}
min() { printf '%s\n' "$@" | sort -g | head -1; }

qz_encrypt() {
  rm -f "$work/enc/data.qz"
  "$qzcrypt" encrypt --keep --quiet --password-file "$work/password" "$work/enc/data"
}
ossl_encrypt() {
  rm -f "$work/ossl.enc"
  "${ossl[@]}" -in "$work/enc/data" -out "$work/ossl.enc" && sync "$work/ossl.enc"
}
qz_decrypt() {
  rm -f "$work/dec/data"
  "$qzcrypt" decrypt --keep --quiet --password-file "$work/password" "$work/dec/data.qz"
}
ossl_decrypt() {
  rm -f "$work/ossl.dec"
  "${ossl[@]}" -d -in "$work/dec/data.qz" -out "$work/ossl.dec" && sync "$work/ossl.dec"
}

# Both tools must produce the same bytes before their times mean anything.
qz_encrypt
ossl_encrypt
cmp <(tail -c +257 "$work/enc/data.qz") "$work/ossl.enc" || {
  echo "qzcrypt and openssl disagree on the body" >&2
  exit 1
}
mv "$work/enc/data.qz" "$work/dec/data.qz"
qz_decrypt
cmp "$work/enc/data" "$work/dec/data" || {
  echo "qzcrypt did not decrypt to the original" >&2
  exit 1
}

qe=() oe=() qd=() od=()
for ((r = 1; r <= rounds; r++)); do
  qe+=("$(timed qz_encrypt)")
  oe+=("$(timed ossl_encrypt)")
  qd+=("$(timed qz_decrypt)")
  od+=("$(timed ossl_decrypt)")
  echo "round $r: encrypt qzcrypt ${qe[-1]} s, openssl ${oe[-1]} s;" \
    "decrypt qzcrypt ${qd[-1]} s, openssl ${od[-1]} s"
done

best_qe=$(min "${qe[@]}") best_oe=$(min "${oe[@]}")
best_qd=$(min "${qd[@]}") best_od=$(min "${od[@]}")
printf 'best of %d, %d MiB:\n' "$rounds" "$mib"
printf '  encrypt: qzcrypt %.3f s (%.0f MB/s), openssl %.3f s  ratio %.3f\n' \
  "$best_qe" "$(calc "$mib * 1.048576 / $best_qe")" "$best_oe" \
  "$(calc "$best_qe / $best_oe")"
printf '  decrypt: qzcrypt %.3f s (%.0f MB/s), openssl %.3f s  ratio %.3f\n' \
  "$best_qd" "$(calc "$mib * 1.048576 / $best_qd")" "$best_od" \
  "$(calc "$best_qd / $best_od")"
