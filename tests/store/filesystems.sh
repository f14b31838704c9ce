#!/usr/bin/env bash
# The save on FAT32, exFAT and NTFS images mounted through FUSE (FAT32 also by the kernel where it can),
# renamed over or killed at each step, and saved over and over while another program writes the month.
# Skips (77), with the reason, when none mounts. Arguments: tst_monthfile tst_monthmerge.
set -uo pipefail
monthfile=$1 monthmerge=$2 work=$(mktemp -d) mounted=0 failed=0 loop=
trap 'for p in "$work"/*/; do umount "$p" 2>/dev/null; done; [ -z "$loop" ] || losetup -d "$loop"; rm -rf "$work"' EXIT
[ "$(id -u)" -eq 0 ] && [ -c /dev/fuse ] || { echo "SKIP: mounting loop images needs root and /dev/fuse" && exit 77; }
# on <name> <driver> <mkfs…> -- <mount command, of $image on $point>
on()
{
    local name=$1 driver=$2 make=() && shift 2
    while [ "$1" != -- ]; do make+=("$1") && shift; done && shift
    image=$work/$name.img point=$work/$name/ && mkdir -p "$point" && truncate -s 96M "$image"
    command -v "$driver" >/dev/null && command -v "${make[0]}" >/dev/null || { echo "SKIP $name: no $driver" && return; }
    "${make[@]}" "$image" >/dev/null 2>&1 && eval "$*" >"$work/log" 2>&1 && mountpoint -q "$point" \
        || { echo "SKIP $name: cannot mount: $(cat "$work/log")" && return; }
    echo "== $name: $(findmnt -no FSTYPE "$point")" && mounted=$((mounted + 1))
    TMPDIR=$point "$monthfile" write_renamedOverOrKilledAtEachStep_nextStartFindsEveryVersion | grep -v ^PASS || failed=1
    # fusefat serves one request at a time, so it gets a third of the saves; before version 0.3 (Debian 12,
    # which does not answer -V) it spins for ever once two programs write at once.
    local saves=300
    if [ "$driver" = fusefat ]; then
        saves=100 && fusefat -V 2>&1 | grep -q version \
            || { echo "SKIP saves against another program: this fusefat hangs under two writers" && saves=0; }
    fi
    [ "$saves" -eq 0 ] || NOTERRA_SAVES=$saves TMPDIR=$point "$monthmerge" \
        saveMonth_anotherProgramWritingAtRandom_losesNothingOfIt | grep -E '^(FAIL|QINFO|Totals)' || failed=1
    umount "$point" && { [ -z "$loop" ] || losetup -d "$loop"; } && loop=
}

on vfat-fuse fusefat mkfs.vfat -F 32 -- 'fusefat -s -o rw+ "$image" "$point"'
on vfat-kernel mount mkfs.vfat -F 32 -- 'mount -o loop -t vfat "$image" "$point"'
on exfat mount.exfat-fuse mkfs.exfat -- 'loop=$(losetup -f --show "$image") && mount.exfat-fuse "$loop" "$point"'
on ntfs ntfs-3g mkfs.ntfs -F -Q -- 'ntfs-3g "$image" "$point"'
[ "$mounted" -gt 0 ] || { echo "SKIP: no file system could be mounted" && exit 77; }
exit "$failed"
