#!/usr/bin/env bash
# Builds Lockmere.exe and starts it under Wine. With a desktop ($DISPLAY set) the window
# opens there; without one it runs on a virtual screen and a picture of the screen is
# written to build/windows/lockmere-window.png every few seconds.
#
# It runs until the program is closed, or until this script is stopped (Ctrl-C, or its
# process ended with kill): then the program, the virtual screen and the picture loop end
# with it. Even a script killed outright (kill -9) leaves nothing behind for long: the
# picture loop sees that it is gone and ends the rest.
#
# Usage: scripts/run.sh [Lockmere.exe]
# Without an executable it builds one in $QZ_BUILD_DIR (default build/windows), whose Wine
# prefix it uses either way.
set -euo pipefail
# Only Debian's packages' commands: nothing installed by hand (/usr/local, pyenv) stands
# in for one that bootstrap must provide (scripts/check_commands.py checks the same PATH).
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QZ_BUILD_DIR:-$root/build/windows}
# Wine takes only an absolute prefix.
case "$build" in /*) ;; *) build=$PWD/$build ;; esac
exe=${1:-}
if [ -z "$exe" ]; then
  "$root/scripts/bootstrap.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    >/dev/null
  cmake --build "$build" -j2 --target lockmere >/dev/null
  exe="$build/Lockmere.exe"
fi
exe=$(realpath "$exe")
mkdir -p "$build"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
qz_wine_prefix
echo "Lockmere.exe: $exe (Wine prefix $WINEPREFIX; its C: is $WINEPREFIX/drive_c)"
echo "Stop with Ctrl-C, or close the program."

# Stopping: ending the program (wineserver -k ends everything in this build's own prefix)
# lets the picture loop and xvfb-run finish and clean up; what is left after a few seconds
# is ended as a group, since everything this script starts runs in a session of its own.
group=""
stop() {
  trap - EXIT INT TERM HUP
  wineserver -k 2>/dev/null || true
  [ -n "$group" ] || return 0
  local tries=0
  while kill -0 "$group" 2>/dev/null && [ "$tries" -lt 50 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  kill -TERM -- "-$group" 2>/dev/null || true
}
trap stop EXIT
trap 'stop; exit 130' INT
trap 'stop; exit 143' TERM HUP

if [ -n "${DISPLAY:-}" ]; then
  qz_wine_window_manager desktop
  setsid wine "$exe" &
  group=$!
  wait "$group" || true
  exit 0
fi
qz_wine_window_manager none

shot="$build/lockmere-window.png"
echo "No display: running on a virtual screen; a picture of it goes to $shot"
setsid xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine "$1" & program=$!
  # Ends with the program, or when the script that started it is gone.
  while kill -0 "$program" 2>/dev/null && kill -0 "$3" 2>/dev/null; do
    sleep 3
    import -window root "$2" 2>/dev/null || true
  done
  kill -0 "$3" 2>/dev/null || wineserver -k 2>/dev/null || true
  wait "$program" || true' _ "$exe" "$shot" "$$" &
group=$!
wait "$group" || true
