#!/usr/bin/env bash
# Builds the carried folder (scripts/bundle.sh) and proves that it runs where no Qt is installed:
# in a chroot of each Debian suite named (default: bookworm trixie) that holds nothing but a
# minimal Debian and the system libraries the folder leaves to the desktop, with no font of
# Japanese. There, from a folder whose path has a space and Japanese in it, every library of the
# folder resolves, and under a virtual X server of this machine the window shows drawn with the
# folder's font, an input method's plugin loads and a typed entry is saved beside the program.
#   scripts/test-bundle.sh [SUITE...]
# Needs root (else it skips with exit 77, as it does where the mirror cannot be reached). Each
# chroot is made with debootstrap when missing and kept for the next run in
# NOTERRA_BUNDLE_CHROOTS/<suite> (default /var/tmp/noterra-bundle-chroots); delete it to make it
# afresh. NOTERRA_DEBIAN_CACHE names a folder that keeps the downloaded packages (in
# bundle-<suite> under it). Screenshots go to build-bundle/test/.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
suites=("$@")
[ ${#suites[@]} -gt 0 ] || suites=(bookworm trixie)
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: run as root: debootstrap, chroot and the mounts need it." >&2
    exit 77
fi
source "$root/scripts/packages.sh"
noterra_ensure_packages "${NOTERRA_CHROOT_PACKAGES[@]}" "${NOTERRA_BUNDLE_PACKAGES[@]}" xvfb xdotool x11-utils \
    imagemagick openbox wmctrl || exit 1
# shellcheck source-path=SCRIPTDIR source=../tests/bundle/lib.sh
source "$root/tests/bundle/lib.sh" || exit 1
program=
shots=$root/build-bundle/test
failure_shot=$shots/failure.png
chroots=${NOTERRA_BUNDLE_CHROOTS:-/var/tmp/noterra-bundle-chroots}

# The Debian packages of the libraries the folder leaves to the desktop (scripts/bundle.sh).
desktop_packages=libgl1,libegl1,libx11-6,libx11-xcb1,libxcb1,libxcb-glx0,libxcb-dri2-0,libxcb-dri3-0,libxcb-present0
desktop_packages+=,libxcb-sync1,libxcb-xfixes0,libxcb-shm0,libxcb-randr0,libwayland-client0,libwayland-cursor0
desktop_packages+=,libwayland-egl1,libopengl0,libfontconfig1,libfreetype6,libxkbcommon0,libdbus-1-3

mounted=()
unmount_all()
{
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" || umount --lazy "${mounted[i]}"
    done
    mounted=()
}
trap 'stop_all; unmount_all' EXIT
trap 'exit 130' INT TERM
mount_in()
{
    local where="$target$1"
    shift
    mkdir -p "$where"
    mount "$@" "$where" || fail "cannot mount $where"
    mounted+=("$where")
}

# The first Debian mirror apt lists that is not the security archive.
host_mirror()
{
    apt-cache policy 2>/dev/null | awk '$2 ~ /^https?:/ && $2 !~ /security/ && $3 !~ /security/ { print $2; exit }'
}

# Makes the suite's chroot unless a whole one of these packages is there; a cut-off one, or one
# of other packages, is made afresh.
make_chroot()
{
    local suite=$1 mirror cache=()
    [ "$(cat "$target/.noterra-complete" 2>/dev/null)" = "$desktop_packages" ] && return 0
    rm -rf --one-file-system "$target"
    mkdir -p "$target"
    mirror=${NOTERRA_DEBIAN_MIRROR:-$(host_mirror)}
    mirror=${mirror:-http://deb.debian.org/debian}
    local host=${mirror#*://} port=80
    host=${host%%/*}
    [[ $mirror != https:* ]] || port=443
    [[ $host != *:* ]] || { port=${host##*:} && host=${host%:*}; }
    timeout 10 bash -c "exec 3<>/dev/tcp/$host/$port" 2>/dev/null ||
        { echo "SKIP: no chroot of $suite, and the mirror $host cannot be reached to make one" && exit 77; }
    if [ -n "${NOTERRA_DEBIAN_CACHE:-}" ]; then
        mkdir -p "$NOTERRA_DEBIAN_CACHE/bundle-$suite"
        cache=(--cache-dir="$(cd "$NOTERRA_DEBIAN_CACHE/bundle-$suite" && pwd)")
    fi
    local script=$suite
    [ -e "/usr/share/debootstrap/scripts/$suite" ] || script=sid
    echo "Bootstrapping Debian $suite into $target"
    debootstrap --variant=minbase --include="$desktop_packages" "${cache[@]}" \
        --keyring=/usr/share/keyrings/debian-archive-keyring.gpg "$suite" "$target" \
        "$mirror" "$script" >"$work/debootstrap.log" 2>&1 ||
        fail "debootstrap failed: $(tail -n 20 "$work/debootstrap.log")"
    echo "$desktop_packages" >"$target/.noterra-complete"
}

test_suite()
{
    local suite=$1 inside here qt
    target=$chroots/$suite
    make_chroot "$suite"
    qt=$(chroot "$target" dpkg-query -W -f '${Package}\n' 2>/dev/null | grep -i -E 'qt|fonts-(ipa|noto-cjk|vlgothic|takao)')
    [ -z "$qt" ] || fail "the $suite chroot has Qt or a Japanese font installed: $qt"
    # Every installed system has one; libdbus ends the program without it.
    [ -s "$target/etc/machine-id" ] || { od -An -N16 -tx1 /dev/urandom | tr -d ' \n' && echo; } >"$target/etc/machine-id"
    mount_in /proc -t proc proc
    mount_in /dev --bind /dev
    mount_in /dev/shm -t tmpfs -o mode=1777 tmpfs
    mount_in /tmp -t tmpfs -o mode=1777 tmpfs
    mount_in /tmp/.X11-unix --bind /tmp/.X11-unix
    inside="/home/日記 フォルダー"
    here=$target$inside
    rm -rf "$here" && mkdir -p "$here" && cp -a "$bundle" "$here/" || fail "cannot copy the folder into $here"
    bash "$root/scripts/bundle.sh" --check "$here/Noterra" "$target" || fail "a library of the folder is missing in $suite"
    mkdir -m 700 "$target/tmp/runtime"
    start_type_and_save "$suite" "$here/Noterra" "$2" yes chroot "$target" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
        DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb QT_IM_MODULE="$3" XDG_RUNTIME_DIR=/tmp/runtime \
        XDG_STATE_HOME=/tmp/state "$inside/Noterra/noterra"
    unmount_all
    echo "PASS: Debian $suite"
}

work=$(mktemp -d)
mkdir -p "$shots" "$chroots" && rm -f "$shots"/*.png
bash "$root/scripts/bundle.sh" "$root/build-bundle" || fail "scripts/bundle.sh failed"
bundle=$root/build-bundle/Noterra
start_display
# Both input method frameworks, one per suite in turn.
for i in "${!suites[@]}"; do
    if [ $((i % 2)) -eq 0 ]; then
        test_suite "${suites[i]}" libibusplatforminputcontextplugin.so ibus
    else
        test_suite "${suites[i]}" libfcitx5platforminputcontextplugin.so fcitx
    fi
done
echo "PASS: the carried folder runs in Debian ${suites[*]} without Qt"
