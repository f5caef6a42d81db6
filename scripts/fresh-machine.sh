#!/usr/bin/env bash
# The honest test of what the project needs: a fresh Debian 12 root with nothing but the
# Essential packages and apt (mmdebstrap, from Debian's packages), the current commit
# cloned into it, and the README's test command run inside as root. A package that this
# machine has and bootstrap does not install shows up there as a failure.
#
# Usage: scripts/fresh-machine.sh [WORK_DIR]   (default /var/tmp/lockmere-fresh)
# Needs root (chroot, mounts in a namespace of its own). Prints the last lines of the test
# command and of the package check, and exits non-zero when either failed. The full log is
# WORK_DIR/test.log; the root is removed afterwards unless QZ_FRESH_KEEP=1.
# Only committed work is tested: the clone is of HEAD.
set -euo pipefail
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/var/tmp/lockmere-fresh}
if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-machine: needs root (chroot and mounts)" >&2
  exit 2
fi
"$root/scripts/bootstrap.sh"

commit=$(git -C "$root" rev-parse HEAD)
sysroot="$work/root"
# Only a folder of its own is emptied.
if [ -d "$work" ] && [ -n "$(ls -A "$work")" ] && [ ! -e "$work/mmdebstrap.log" ]; then
  echo "fresh-machine: $work is not empty and not a folder of this script's" >&2
  exit 2
fi
rm -rf "$work"
mkdir -p "$work"

# The chroot gets this machine's sources for Debian 12 (bookworm); other repositories that
# this machine may have configured stay out. Without any, mmdebstrap uses its default.
sources=()
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  [ -s "$f" ] && grep -Eq '^[^#]*\bbookworm\b' "$f" && sources+=("$f")
done
echo "fresh-machine: making a Debian 12 root in $sysroot"
start=$(date +%s)
mmdebstrap --variant=apt --aptopt='Acquire::Check-Valid-Until "false"' \
  bookworm "$sysroot" "${sources[@]}" >"$work/mmdebstrap.log" 2>&1 ||
  { tail -20 "$work/mmdebstrap.log"; exit 1; }
# What any installed machine has: a hosts file for localhost.
[ -e "$sysroot/etc/hosts" ] ||
  printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$sysroot/etc/hosts"

git clone -q --no-hardlinks "$root" "$sysroot/root/lockmere"
git -C "$sysroot/root/lockmere" checkout -q "$commit"
echo "fresh-machine: testing commit $commit"

# Inside: the README's test command, then the package check that CI runs before it. The
# mounts live in a mount namespace of this run and vanish with it.
status=0
unshare --mount --fork bash -c '
  set -e
  mount --make-rprivate /
  mount -t proc proc "$1/proc"
  mount --rbind /dev "$1/dev"
  chroot "$1" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/sbin:/usr/bin:/sbin:/bin bash -c "
      cd /root/lockmere
      status=0
      scripts/test.sh || status=\$?
      echo \"== package check\"
      python3 scripts/check_commands.py || status=\$?
      exit \$status"' _ "$sysroot" >"$work/test.log" 2>&1 || status=$?

echo "fresh-machine: $(($(date +%s) - start)) s in all; last lines of $work/test.log:"
tail -n 12 "$work/test.log"
[ "${QZ_FRESH_KEEP:-0}" = 1 ] || rm -rf "$sysroot"
exit $status
