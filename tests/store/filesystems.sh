#!/usr/bin/env bash
# The save on the file systems memory sticks and disks shared with other systems are formatted with,
# each a loop image made here and mounted as a desktop mounts it: FAT32, exFAT and NTFS through their
# FUSE drivers, FAT32 also through the kernel's where it has one. On each, a save driven step by step
# (another program's rename before each step, a kill after it) and saves against another program's
# renames. Skips (77) with the reason when the machine cannot mount any.
# Arguments: tst_monthfile, tst_monthmerge.
set -uo pipefail
shopt -s lastpipe
monthfile=$1 monthmerge=$2
work=$(mktemp -d)
mounted=0 failed=0

cleanup()
{
    for point in "$work"/*/; do mountpoint -q "$point" && umount "$point"; done
    [ -n "${loop:-}" ] && losetup -d "$loop"
    rm -rf "$work"
}
trap cleanup EXIT

# mount_as <name> <driver> <mkfs command…> -- <mount command>: the image is $image, the mount point $point.
mount_as()
{
    local name=$1 driver=$2 && shift 2
    local make=() && while [ "$1" != -- ]; do make+=("$1") && shift; done && shift
    image=$work/$name.img point=$work/$name/
    mkdir -p "$point" && truncate -s 96M "$image"
    if ! command -v "${make[0]}" >/dev/null || ! command -v "$driver" >/dev/null; then
        echo "SKIP $name: ${make[0]} or $driver is not installed" && return 1
    fi
    "${make[@]}" "$image" >/dev/null 2>&1 || { echo "SKIP $name: ${make[*]} failed" && return 1; }
    eval "$*" >"$work/mount.log" 2>&1 && mountpoint -q "$point" \
        || { echo "SKIP $name: cannot mount: $(cat "$work/mount.log")" && return 1; }
}

run_on()
{
    local name=$1
    echo "== $name: $(findmnt -no FSTYPE "$point")"
    mounted=$((mounted + 1))
    NOTERRA_TEST_FOLDER=$point "$monthfile" write_renamedOverOrKilledAtEachStep_nextStartFindsEveryVersion \
        | grep -v '^PASS' || failed=1
    NOTERRA_TEST_FOLDER=$point "$monthmerge" saveMonth_anotherProgramWritingAtRandom_losesNothingOfIt -maxwarnings 1 \
        | grep -v '^PASS' || failed=1
    umount "$point"
    [ -n "${loop:-}" ] && losetup -d "$loop" && loop=
}

if [ "$(id -u)" -ne 0 ] || [ ! -c /dev/fuse ]; then
    echo "SKIP all: mounting loop images needs root and /dev/fuse" && exit 77
fi
mount_as vfat-fuse fusefat mkfs.vfat -F 32 -- 'fusefat -s -o rw+ "$image" "$point"' && run_on vfat-fuse
mount_as vfat-kernel mount mkfs.vfat -F 32 -- 'mount -o loop -t vfat "$image" "$point"' && run_on vfat-kernel
mount_as exfat mount.exfat-fuse mkfs.exfat -- 'loop=$(losetup -f --show "$image") && mount.exfat-fuse "$loop" "$point"' \
    && run_on exfat
mount_as ntfs ntfs-3g mkfs.ntfs -F -Q -- 'ntfs-3g "$image" "$point"' && run_on ntfs
[ "$mounted" -eq 0 ] && echo "SKIP all: no file system could be mounted" && exit 77
exit "$failed"
