#!/usr/bin/env bash
# Builds qzcrypt and shows a round trip on a sample file: encrypt, check, decrypt,
# and compare with the original.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native"
"$root/scripts/bootstrap.sh"
cmake -S "$root" -B "$build" -G Ninja -DQZ_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target qzcrypt >/dev/null
qz="$build/cli/qzcrypt"

demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
printf 'Quarterly figures, not for circulation.\n' >"$demo/report.txt"
cp "$demo/report.txt" "$demo/original.txt"
printf 'correct horse\n' >"$demo/password"

echo "\$ qzcrypt encrypt --password-file password report.txt"
"$qz" encrypt --password-file "$demo/password" "$demo/report.txt"
ls -l "$demo"
echo "\$ qzcrypt check --password-file password report.txt.qz"
"$qz" check --password-file "$demo/password" "$demo/report.txt.qz"
echo "\$ qzcrypt decrypt --password-file password report.txt.qz"
"$qz" decrypt --password-file "$demo/password" "$demo/report.txt.qz"
cmp "$demo/report.txt" "$demo/original.txt" && echo "round trip: identical"
