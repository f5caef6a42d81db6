# Sourced: the Wine environment for one build tree. Usage: . scripts/wine-env.sh BUILD_DIR
# A private prefix per build tree, no installer pop-ups, no debug noise, and the
# zh_CN locale so that the ANSI code page is 936 (QZ_LOCALE picks another: en_US.UTF-8
# gives code page 1252, ja_JP.UTF-8 932).
_qz_build_dir=$(cd "${1:?build dir}" && pwd)
export WINEPREFIX="$_qz_build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=${QZ_LOCALE:-zh_CN.UTF-8}
export WINEARCH=win64
unset _qz_build_dir

qz_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
  fi
}

# Windows on a virtual screen have no window manager: Wine would wait two seconds for one
# whenever a window is hidden or destroyed. Unmanaged windows do not wait.
qz_wine_window_manager() {
  if [ "${1:-}" = none ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
  else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  fi
}
