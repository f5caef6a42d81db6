#!/usr/bin/env bash
# Builds Lockmere.exe and starts it under Wine. With a desktop ($DISPLAY set) the window
# opens there; without one it runs on a virtual screen and a picture of the window is
# written to build/lockmere-window.png every few seconds, until the program is closed
# or this script is stopped.
set -euo pipefail
# Only Debian's packages' commands: nothing installed by hand (/usr/local, pyenv) stands
# in for one that bootstrap must provide (scripts/check_commands.py checks the same PATH).
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/windows"
"$root/scripts/bootstrap.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  >/dev/null
cmake --build "$build" -j2 --target lockmere >/dev/null
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
qz_wine_prefix
echo "Lockmere.exe: $build/Lockmere.exe (Wine prefix $WINEPREFIX; its C: is $WINEPREFIX/drive_c)"

if [ -n "${DISPLAY:-}" ]; then
  qz_wine_window_manager desktop
  exec wine "$build/Lockmere.exe"
fi
qz_wine_window_manager none

shot="$build/lockmere-window.png"
echo "No display: running on a virtual screen; a picture of it goes to $shot"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine "$1" & program=$!
  while kill -0 "$program" 2>/dev/null; do
    sleep 3
    import -window root "$2" 2>/dev/null || true
  done
  wait "$program"' _ "$build/Lockmere.exe" "$shot"
