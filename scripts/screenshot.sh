#!/usr/bin/env bash
# Takes a picture of the main window for the README: starts Lockmere.exe under Wine on a
# virtual screen, waits for its window, and crops the screen to it. With --about it
# clicks the help button first and takes the About dialog instead. With
# --context-menu it right-clicks the first folder of the list and takes the main window
# with the context menu open; with --password it enters that folder, double-clicks the
# file in it and takes the encryption password dialog over the main window; --passphrase
# does the same and presses "生成密码", taking the box that shows the passphrase. --dpi N
# shows the screen at N dpi (144 is 150%, 192 is 200%) in a prefix of its own.
# Usage: scripts/screenshot.sh [--dpi N] [--about|--context-menu|--password|--passphrase] [Lockmere.exe] [output.png]
# QZ_LOCALE picks the locale and with it the ANSI code page (default zh_CN.UTF-8, 936).
# Without an executable it builds one in $QZ_BUILD_DIR (default build/windows).
set -euo pipefail
# Only Debian's packages' commands: nothing installed by hand (/usr/local, pyenv) stands
# in for one that bootstrap must provide (scripts/check_commands.py checks the same PATH).
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QZ_BUILD_DIR:-$root/build/windows}
# Wine takes only an absolute prefix.
case "$build" in /*) ;; *) build=$PWD/$build ;; esac
mode=main
dpi=96
if [ "${1:-}" = --dpi ]; then
  dpi=${2:?"the dpi, a number such as 144, follows --dpi"}
  shift 2
fi
case "${1:-}" in
  --about) mode=about; shift ;;
  --context-menu) mode=context-menu; shift ;;
  --password) mode=password; shift ;;
  --passphrase) mode=passphrase; shift ;;
esac
exe=${1:-}
# Pictures at another scale are named by it: context-menu-200.png for 192 dpi.
scale=""
[ "$dpi" != 96 ] && scale=-$((dpi * 100 / 96))
case "$mode" in
  about) out=${2:-$root/docs/about-dialog$scale.png} ;;
  context-menu) out=${2:-$root/docs/context-menu$scale.png} ;;
  password) out=${2:-$root/docs/password-dialog$scale.png} ;;
  passphrase) out=${2:-$root/docs/passphrase-box$scale.png} ;;
  *) out=${2:-$root/docs/main-window$scale.png} ;;
esac

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
# Wine takes the screen's dpi from the prefix when its first process starts.
[ "$dpi" != 96 ] && export WINEPREFIX="$build/wineprefix-screenshot-dpi$dpi"
qz_wine_prefix
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -w 2>/dev/null || true
# A few entries, so that the list shows folders, plain files (one with a Chinese name)
# and an encrypted file. The context menu and the password dialog also get a folder that
# sorts first, holding one file.
drive_c="$WINEPREFIX/drive_c"
# The encryption dialog opens as on a first start, its check box clear.
rm -f "$drive_c"/users/*/AppData/Roaming/Lockmere/Lockmere.ini
printf 'minutes\n' >"$drive_c/meeting notes.txt"
printf 'QZ' >"$drive_c/budget 2024.xls.qz"
printf 'notes\n' >"$drive_c/报告.txt"
if [ "$mode" = context-menu ] || [ "$mode" = password ] || [ "$mode" = passphrase ]; then
  mkdir -p "$drive_c/archive"
  printf 'figures\n' >"$drive_c/archive/quarterly report.docx"
fi

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
  local main=$window
  eval "$(xdotool getwindowgeometry --shell "$main")"
  # The first row of the list, over its label (the window's own frame is part of X, Y);
  # the places are 96-dpi pixels, scaled.
  local row_x=$((X + 60 * dpi / 96)) row_y=$((Y + 118 * dpi / 96))
  if [ "$mode" = about ]; then
    # The About dialog is a second window with the same title.
    window=""
    tries=0
    while [ -z "$window" ]; do
      tries=$((tries + 1))
      if [ "$tries" -gt 100 ]; then
        echo "screenshot: the About dialog did not appear within 10 s" >&2
        return 1
      fi
      # A click, not Alt+H: a window on a fresh virtual screen may not have the keyboard.
      # The help button; at another scale it is found from the window's right edge, since
      # the dialog's font does not grow exactly with the dpi.
      local help_x=$((X + 490))
      [ "$dpi" != 96 ] && help_x=$((X + WIDTH - 130 * dpi / 96))
      [ $((tries % 20)) = 1 ] && xdotool mousemove "$help_x" $((Y + 45 * dpi / 96)) click 1
      sleep 0.1
      window=$(xdotool search --onlyvisible --name '^Lockmere$' 2>/dev/null | grep -vx "$main" | head -1 || true)
    done
    sleep 1
  elif [ "$mode" = context-menu ]; then
    xdotool mousemove "$row_x" "$row_y" click 3
    sleep 1
    local menu
    menu=$(xdotool search --onlyvisible --classname 'lockmere' 2>/dev/null | grep -vx "$main" | head -1 || true)
    if [ -z "$menu" ]; then
      echo "screenshot: no context menu after a right click on the first row" >&2
      return 1
    fi
    # Over the first command, so that it shows highlighted.
    eval "$(xdotool getwindowgeometry --shell "$menu" | sed 's/^/MENU_/')"
    xdotool mousemove $((MENU_X + MENU_WIDTH / 2)) $((MENU_Y + 14 * dpi / 96))
    sleep 0.5
  elif [ "$mode" = password ] || [ "$mode" = passphrase ]; then
    # Into the folder, then the file that is now the first row.
    xdotool mousemove "$row_x" "$row_y" click --repeat 2 --delay 80 1
    sleep 1
    xdotool mousemove "$row_x" "$row_y" click --repeat 2 --delay 80 1
    local dialog=""
    tries=0
    while [ -z "$dialog" ]; do
      tries=$((tries + 1))
      if [ "$tries" -gt 100 ]; then
        echo "screenshot: no password dialog after a double-click on the file" >&2
        return 1
      fi
      sleep 0.1
      dialog=$(xdotool search --onlyvisible --name '^Lockmere$' 2>/dev/null | grep -vx "$main" | head -1 || true)
    done
    sleep 0.5
    # The caret starts in the first field; the check box for strong files follows the
    # second (shown checked), then the generate button.
    if [ "$mode" = password ]; then
      xdotool type --delay 50 'Secret 1'
      xdotool key Tab
      xdotool type --delay 50 'Secret 1'
      xdotool key Tab space
    else
      xdotool key Tab Tab Tab space
    fi
    sleep 0.5
  fi
  if [ "$mode" = passphrase ]; then
    # The box is the third window of that title.
    window=$(xdotool search --onlyvisible --name '^Lockmere$' 2>/dev/null | grep -vx -e "$main" -e "$dialog" | head -1 || true)
    [ -n "$window" ] || { echo "screenshot: no passphrase box after the generate button" >&2; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$window")"
  elif [ "$mode" = context-menu ] || [ "$mode" = password ]; then
    # Everything the program shows, as one picture.
    local left=100000 top=100000 right=0 bottom=0 w
    for w in $(xdotool search --onlyvisible --classname 'lockmere' 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$w")"
      [ "$X" -lt "$left" ] && left=$X
      [ "$Y" -lt "$top" ] && top=$Y
      [ $((X + WIDTH)) -gt "$right" ] && right=$((X + WIDTH))
      [ $((Y + HEIGHT)) -gt "$bottom" ] && bottom=$((Y + HEIGHT))
    done
    X=$left Y=$top WIDTH=$((right - left)) HEIGHT=$((bottom - top))
  else
    eval "$(xdotool getwindowgeometry --shell "$window")"
  fi
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
  echo "screenshot: ${WIDTH}x${HEIGHT} at ${X},${Y} -> $out"
}
export exe out mode dpi

status=0
xvfb-run -a -s "-screen 0 $((1024 * dpi / 96))x$((768 * dpi / 96))x24" bash -c "$(declare -f shot); shot" || status=$?
# Ends the program started above: it runs in this script's own prefix.
wineserver -k 2>/dev/null || true
rm -f "$drive_c/meeting notes.txt" "$drive_c/budget 2024.xls.qz" "$drive_c/报告.txt"
# The password dialog was never confirmed, so the file in the folder is still plain.
rm -f "$drive_c/archive/quarterly report.docx"
rmdir "$drive_c/archive" 2>/dev/null || true
exit $status
