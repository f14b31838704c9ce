#!/usr/bin/env bash
# Installs what is missing, builds the program and puts it into its own folder outside the
# checkout (~/Noterra, or $NOTERRA_HOME), then starts it from there. The diary's month files
# live in that folder beside the program, so rebuilding or cleaning the checkout never
# touches them; installing again replaces only the program, its icon and its desktop entry.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/packages.sh"

noterra_ensure_packages "${NOTERRA_BUILD_PACKAGES[@]}" "${NOTERRA_RUNTIME_PACKAGES[@]}"
# Without its Qt 6 front end fcitx5 is passed over silently, and only ASCII can be typed.
if noterra_is_installed fcitx5; then
    noterra_ensure_packages fcitx5-frontend-qt6
fi

home=${NOTERRA_HOME:-$HOME/Noterra}
build=${NOTERRA_RUN_BUILD:-$root/build-run}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DNOTERRA_TESTS=OFF -DNOTERRA_BENCH=OFF
cmake --build "$build" --parallel "$(nproc)"
# The diary is private: a new folder is for its owner alone; one that exists keeps its permissions.
mkdir -p -m 700 "$home"
cmake --install "$build" --prefix "$home"

data=${XDG_DATA_HOME:-$HOME/.local/share}
mkdir -p "$data/applications" "$data/icons"
cp "$home/noterra.desktop" "$data/applications/noterra.desktop"
cp -r "$home/icons/hicolor" "$data/icons/"

echo "Noterra is in $home; its month files (Diary*.xml) are kept there."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to show the window on: start $home/noterra from a desktop session."
    exit 0
fi
exec "$home/noterra"
