#!/usr/bin/env bash
# Makes the Japanese locale that the window tests run in a second time, in a folder of the build's
# own (LOCPATH), so that it does not depend on the locales the machine was set up with.
set -euo pipefail

folder=$1
if ! command -v localedef >/dev/null || [ ! -e /usr/share/i18n/locales/ja_JP ]; then
    echo "The Japanese locale cannot be made: install the Debian package locales." >&2
    exit 1
fi
mkdir -p "$folder"
localedef -i ja_JP -f UTF-8 "$folder/ja_JP.UTF-8"
# A locale glibc cannot load falls back to C without failing; ask it back to be sure.
charmap=$(LOCPATH=$folder LC_ALL=ja_JP.UTF-8 locale charmap 2>&1)
[ "$charmap" = UTF-8 ] || { echo "The Japanese locale does not load: $charmap" >&2; exit 1; }
