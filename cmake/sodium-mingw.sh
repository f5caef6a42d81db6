#!/usr/bin/env bash
# Builds a static libsodium for x86_64-w64-mingw32 from Debian's own source package (its
# patches, security fixes among them, applied by dpkg-source), once per source version:
# DIR/VERSION/prefix is kept and reused until apt offers another version.
# CMake runs it at configure time (cmake/sodium.cmake).
#
# Usage: cmake/sodium-mingw.sh DIR [JOBS]
# Prints the install prefix on standard output; progress and errors go to standard error.
set -euo pipefail
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
dir=$1
jobs=${2:-2}
cc=x86_64-w64-mingw32-gcc-posix

# The version that `apt-get source` would fetch, from the local source lists.
version=$(apt-get source --only-source --print-uris libsodium 2>/dev/null |
  sed -n "s/^'[^']*' libsodium_\([^ ]*\)\.dsc .*/\1/p") || true
if [ -z "$version" ]; then
  echo "sodium: apt has no source of libsodium; run scripts/bootstrap.sh (it adds deb-src entries)" >&2
  exit 1
fi
work=$dir/$version
prefix=$work/prefix
# The recipe: this script and the compiler. A change of either builds again.
recipe="$(sha256sum <"$0" | cut -d' ' -f1) $($cc --version | head -n 1)"
if [ -f "$work/done" ] && [ "$(cat "$work/done")" = "$recipe" ] &&
   [ -f "$prefix/lib/libsodium.a" ]; then
  echo "$prefix"
  exit 0
fi

echo "sodium: building Debian's libsodium $version for mingw in $work (a few minutes)" >&2
rm -rf "$work"
mkdir -p "$work/src"
log=$work/build.log
fail() {
  tail -n 40 "$log" >&2
  echo "sodium: $1 failed; the whole log is $log" >&2
  exit 1
}
cd "$work/src"
apt-get source --only-source -q "libsodium" >"$log" 2>&1 || fail "apt-get source libsodium"
if ! ls "libsodium_$version.dsc" >/dev/null 2>&1; then
  fail "apt-get source (it fetched another version than $version)"
fi
cd libsodium-*/
# Every patch of the package applied (dpkg-source does it; this catches a bare tarball).
if [ -s debian/patches/series ] && [ ! -s .pc/applied-patches ]; then
  fail "dpkg-source (Debian's patches are not applied)"
fi
# 1.0.18's autogen.sh would otherwise download newer config.guess and config.sub; -s
# says the same to later versions.
DO_NOT_UPDATE_CONFIG_SCRIPTS=1 ./autogen.sh -s >>"$log" 2>&1 || fail "autogen.sh"
# Not --enable-minimal: it drops scrypt, which strong files need.
./configure --host=x86_64-w64-mingw32 --disable-shared --prefix="$prefix" CC="$cc" \
  >>"$log" 2>&1 || fail "configure"
make -j"$jobs" >>"$log" 2>&1 || fail "make"
make install >>"$log" 2>&1 || fail "make install"
cd "$work"
rm -rf "$work/src"
# Other versions' builds are of no further use.
find "$dir" -mindepth 1 -maxdepth 1 -type d ! -name "$version" -exec rm -rf {} +
echo "$recipe" >"$work/done"
echo "$prefix"
