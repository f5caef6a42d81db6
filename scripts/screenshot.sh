#!/usr/bin/env bash
# Takes a picture of the main window for the README: starts Lockmere.exe under Wine on a
# virtual screen, waits for its window, and crops the screen to it. With --about it
# presses the help button (Alt+H) first and takes the About dialog instead.
# Usage: scripts/screenshot.sh [--about] [Lockmere.exe] [output.png]
# Without an executable it builds one in $QZ_BUILD_DIR (default build/windows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QZ_BUILD_DIR:-$root/build/windows}
about=0
if [ "${1:-}" = --about ]; then
  about=1
  shift
fi
exe=${1:-}
if [ "$about" = 1 ]; then
  out=${2:-$root/docs/about-dialog.png}
else
  out=${2:-$root/docs/main-window.png}
fi

if [ -z "$exe" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$build" -j2 --target lockmere >/dev/null
  exe="$build/Lockmere.exe"
fi
[ -f "$exe" ] || { echo "screenshot: no program at $exe" >&2; exit 1; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

# A prefix of its own: the picture needs Wine to draw the title bar itself (there is no
# window manager), a setting the test prefix must not get.
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
export WINEPREFIX="$build/wineprefix-screenshot"
qz_wine_prefix
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
# A few entries, so that the list shows folders, plain files and an encrypted file.
drive_c="$WINEPREFIX/drive_c"
printf 'minutes\n' >"$drive_c/meeting notes.txt"
printf 'QZ' >"$drive_c/budget 2024.xls.qz"

shot() {
  set -euo pipefail
  wine "$exe" >/dev/null 2>&1 &
  local window="" tries=0
  while [ -z "$window" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 300 ]; then
      echo "screenshot: the main window did not appear within 30 s" >&2
      return 1
    fi
    sleep 0.1
    window=$(xdotool search --onlyvisible --name '^Lockmere$' 2>/dev/null | head -1 || true)
  done
  # Let the list and the icons finish painting.
  sleep 1
  if [ "$about" = 1 ]; then
    # The About dialog is a second window with the same title.
    local main=$window
    window=""
    tries=0
    while [ -z "$window" ]; do
      tries=$((tries + 1))
      if [ "$tries" -gt 100 ]; then
        echo "screenshot: the About dialog did not appear within 10 s" >&2
        return 1
      fi
      [ $((tries % 20)) = 1 ] && xdotool key alt+h
      sleep 0.1
      window=$(xdotool search --onlyvisible --name '^Lockmere$' 2>/dev/null | grep -vx "$main" | head -1 || true)
    done
    sleep 1
  fi
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
  echo "screenshot: ${WIDTH}x${HEIGHT} at ${X},${Y} -> $out"
}
export exe out about

status=0
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$(declare -f shot); shot" || status=$?
# Ends the program started above: it runs in this script's own prefix.
wineserver -k 2>/dev/null || true
rm -f "$drive_c/meeting notes.txt" "$drive_c/budget 2024.xls.qz"
exit $status
