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

# Wine maps file names through the Unix locale: without a UTF-8 locale it cannot create
# files whose names hold Chinese characters. The locale also gives Wine its ANSI code
# page: zh_CN 936 (the tests' default), en_US 1252 and ja_JP 932, under which the tests
# run the program too.
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
for locale in zh_CN en_US ja_JP; do
  if ! locale -a 2>/dev/null | grep -qi "^${locale}\.utf-\?8$"; then
    echo "bootstrap: generating the ${locale}.UTF-8 locale"
    $SUDO localedef -i "$locale" -c -f UTF-8 "${locale}.UTF-8"
  fi
done
