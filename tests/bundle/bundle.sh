#!/usr/bin/env bash
# The carried folder that scripts/bundle.sh makes (and checks) of the built program: copied into a
# folder whose path has a space and Japanese in it, it starts with its own Qt alone (none of this
# machine's, which is installed), loads its ibus plugin, leaves its font alone beside this
# machine's Japanese fonts and saves a typed entry beside the program; from an exFAT image mounted
# as a stick is, where fontconfig knows no font, it draws with its font, loads its fcitx5 plugin and
# saves. Without Qt installed at all it is proven by scripts/test-bundle.sh.
#
# Usage: bundle.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY BUNDLE_SCRIPT
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
begin_script 280 "$1" "$2" Xvfb xdotool xwininfo import openbox wmctrl patchelf objdump
bundler=$3
prepare_portable
loop=
# A program still running from the stick (a failed step) keeps it busy: the lazy unmount still detaches it.
trap 'umount "$work/stick" 2>/dev/null || umount --lazy "$work/stick" 2>/dev/null; [ -z "$loop" ] || losetup -d "$loop"; stop_all' EXIT

NOTERRA_BUNDLE_PROGRAM=$program bash "$bundler" "$work/out" >"$work/bundle.log" 2>&1 ||
    fail "the bundle script failed: $(tail -n 20 "$work/bundle.log")"

start_display
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
unset LD_LIBRARY_PATH QT_PLUGIN_PATH QT_QPA_PLATFORM_PLUGIN_PATH
here="$work/日記 フォルダー"
mkdir "$here" && cp -a "$work/out/Noterra" "$here/"
QT_IM_MODULE=ibus QT_QPA_PLATFORM=xcb start_type_and_save folder "$here/Noterra" \
    libibusplatforminputcontextplugin.so no "$here/Noterra/noterra"
NOTERRA_BUNDLE_PROGRAM=$program bash "$bundler" "$here" >>"$work/bundle.log" 2>&1 &&
    fail "the bundle script replaced a folder that holds a diary"
compgen -G "$here/Noterra/Diary*.xml" >/dev/null || fail "the bundle script removed the month file of a used folder"

if [ "$(id -u)" -ne 0 ] || [ ! -c /dev/fuse ] || ! command -v mount.exfat-fuse mkfs.exfat >/dev/null; then
    echo "SKIP exFAT: mounting an image needs root, /dev/fuse, mkfs.exfat and mount.exfat-fuse"
    exit 0
fi
truncate -s 192M "$work/stick.img" && mkfs.exfat "$work/stick.img" >/dev/null && mkdir "$work/stick" &&
    loop=$(losetup -f --show "$work/stick.img") && mount.exfat-fuse "$loop" "$work/stick" >/dev/null 2>&1 ||
    fail "cannot mount an exFAT image"
cp -r "$work/out/Noterra" "$work/stick/" || fail "cannot copy the folder onto the exFAT image"
printf '<fontconfig><dir>%s</dir><cachedir>%s</cachedir></fontconfig>\n' "$work/none" "$work" >"$work/fonts.conf"
FONTCONFIG_FILE=$work/fonts.conf QT_IM_MODULE=fcitx QT_QPA_PLATFORM=xcb start_type_and_save exfat "$work/stick/Noterra" \
    libfcitx5platforminputcontextplugin.so yes "$work/stick/Noterra/noterra"
echo "PASS: the carried folder runs from a folder named in Japanese with a space and from exFAT"
