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

# Wine maps file names through the Unix locale: without zh_CN.UTF-8 it cannot create
# files whose names hold Chinese characters. LC_ALL=zh_CN.UTF-8 also gives Wine its
# ANSI code page 936.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "bootstrap: generating the zh_CN.UTF-8 locale"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO localedef -i zh_CN -c -f UTF-8 zh_CN.UTF-8
fi
