#!/usr/bin/env bash
# Installs from Debian's packages what building, running and testing need. Safe to run again:
# it installs only what is missing.
set -euo pipefail
# Only Debian's packages' commands: nothing installed by hand (/usr/local, pyenv) stands
# in for one that bootstrap must provide (scripts/check_commands.py checks the same PATH).
export PATH=/usr/sbin:/usr/bin:/sbin:/bin

# The list, one package a line, is scripts/packages.txt.
mapfile -t packages < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' -e '/^$/d' "$(dirname "$0")/packages.txt")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Windows build compiles Debian's own libsodium source package (cmake/sodium-mingw.sh
# fetches it with apt-get source): source entries that mirror the package entries, so the
# source comes from the same archives and suites as the machine's packages.
src_list=/etc/apt/sources.list.d/lockmere-deb-src.sources
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
src_entries=$(python3 "$(dirname "$0")/source_entries.py" --skip "$src_list")
if [ -n "$src_entries" ] && [ "$src_entries" != "$(cat "$src_list" 2>/dev/null)" ]; then
  echo "bootstrap: adding deb-src entries ($src_list)"
  printf '%s\n' "$src_entries" | $SUDO tee "$src_list" >/dev/null
  $SUDO apt-get update -qq
elif [ -z "$src_entries" ] && [ -e "$src_list" ]; then
  # The machine has source entries of its own now.
  $SUDO rm -f "$src_list"
fi
# Source lists missing (entries added by hand, or an update that failed): fetch them.
if ! apt-get source --only-source --print-uris libsodium >/dev/null 2>&1; then
  $SUDO apt-get update -qq
fi

# Wine maps file names through the Unix locale: without a UTF-8 locale it cannot create
# files whose names hold Chinese characters. The locale also gives Wine its ANSI code
# page: zh_CN 936 (the tests' default), en_US 1252 and ja_JP 932, under which the tests
# run the program too.
for locale in zh_CN en_US ja_JP; do
  if ! locale -a 2>/dev/null | grep -qi "^${locale}\.utf-\?8$"; then
    echo "bootstrap: generating the ${locale}.UTF-8 locale"
    $SUDO localedef -i "$locale" -c -f UTF-8 "${locale}.UTF-8"
  fi
done
