#!/usr/bin/env bash
# Builds the checkout and runs its whole test suite (scripts/test.sh) inside a fresh Debian chroot
# of the given suite, so that the program is proven on another Debian than this machine's:
#   scripts/test-in-debian.sh trixie      (or bookworm, forky, sid ...)
# Needs root. The chroot is made with debootstrap from the Debian mirror this machine's apt uses
# (NOTERRA_DEBIAN_MIRROR overrides it) in a new folder under NOTERRA_CHROOT_DIR (default
# /var/tmp), and is unmounted and removed afterwards; NOTERRA_KEEP_CHROOT=1 keeps it to look
# into. NOTERRA_DEBIAN_CACHE names a folder that keeps the downloaded packages between runs.
# Uncommitted changes are tested too: the checkout is copied as it is, without its build folders.
set -euo pipefail

suite=${1:-}
if [ -z "$suite" ] || [ $# -ne 1 ]; then
    echo "Usage: $0 SUITE   (a Debian suite or code name: bookworm, trixie, forky, testing, sid)" >&2
    exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "Run as root: debootstrap, chroot and the mounts need it." >&2
    exit 1
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/packages.sh"
noterra_ensure_packages "${NOTERRA_CHROOT_PACKAGES[@]}"

# The first Debian mirror apt lists that is not the security archive.
host_mirror()
{
    apt-cache policy 2>/dev/null | awk '$2 ~ /^https?:/ && $2 !~ /security/ && $3 !~ /security/ { print $2; exit }'
}
mirror=${NOTERRA_DEBIAN_MIRROR:-$(host_mirror)}
mirror=${mirror:-http://deb.debian.org/debian}

# debootstrap knows each suite by a script of its name; a suite newer than this machine's
# debootstrap is bootstrapped like unstable, which every newer suite derives from.
script=$suite
[ -e "/usr/share/debootstrap/scripts/$suite" ] || script=sid

started=$SECONDS
parent=${NOTERRA_CHROOT_DIR:-/var/tmp}
mkdir -p "$parent"
target=$(mktemp -d "$parent/noterra-$suite.XXXXXX")
# The chroot's root directory: apt's download user and the tests' unprivileged users pass through it.
chmod 755 "$target"
mounted=()

cleanup()
{
    local status=$? i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" || umount --lazy "${mounted[i]}" || status=1
    done
    if findmnt --list --noheadings --output TARGET | grep -q "^$target/"; then
        echo "Still mounted under $target; not removing it." >&2
        exit 1
    fi
    if [ "${NOTERRA_KEEP_CHROOT:-0}" = 1 ]; then
        echo "The chroot stays in $target."
    else
        rm -rf --one-file-system "$target"
    fi
    echo "test-in-debian $suite: exit $status after $((SECONDS - started)) s"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mount_in()
{
    local where="$target$1"
    shift
    mkdir -p "$where"
    mount "$@" "$where"
    mounted+=("$where")
}

cache_options=()
if [ -n "${NOTERRA_DEBIAN_CACHE:-}" ]; then
    mkdir -p "$NOTERRA_DEBIAN_CACHE/$suite"
    cache_options=(--cache-dir="$(cd "$NOTERRA_DEBIAN_CACHE/$suite" && pwd)")
fi

echo "Bootstrapping Debian $suite from $mirror into $target"
debootstrap --variant=minbase --keyring=/usr/share/keyrings/debian-archive-keyring.gpg "${cache_options[@]}" \
    "$suite" "$target" "$mirror" "$script"

# A suite's Release file is valid for a week after the archive last signed it; a mirror that is a
# snapshot, or a clock that runs ahead, makes a correctly signed file look stale. The signatures
# are still checked, only their age is not.
echo 'Acquire::Check-Valid-Until "false";' >"$target/etc/apt/apt.conf.d/99noterra-valid-until"
# Packages installed in the chroot must not start services on this machine.
printf '#!/bin/sh\nexit 101\n' >"$target/usr/sbin/policy-rc.d"
chmod +x "$target/usr/sbin/policy-rc.d"
cp /etc/resolv.conf "$target/etc/resolv.conf"

mount_in /proc -t proc proc
mount_in /sys -t sysfs sysfs
mount_in /dev --bind /dev
mount_in /dev/pts -t devpts -o newinstance,ptmxmode=0666 devpts
mount_in /dev/shm -t tmpfs -o mode=1777 tmpfs
mount_in /tmp -t tmpfs -o mode=1777 tmpfs
[ -z "${NOTERRA_DEBIAN_CACHE:-}" ] || mount_in /var/cache/apt/archives --bind "${cache_options[0]#--cache-dir=}"

mkdir -p "$target/root/noterra"
tar -C "$root" --exclude='./build-*' --exclude=./.git -cf - . | tar -C "$target/root/noterra" -xf -

echo "Running scripts/test.sh in Debian $suite"
chroot "$target" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /root/noterra && scripts/test.sh'
