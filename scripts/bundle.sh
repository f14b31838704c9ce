#!/usr/bin/env bash
# Builds the program for release and makes of it a folder that runs on a Linux desktop without
# anything installed: build-bundle/Noterra/ and build-bundle/noterra-linux-<machine>.tar.gz.
# The folder holds the program, with the Qt libraries and plugins it loads, libxml2 and every
# other library they need that is not one of the desktop's own (the list below), a qt.conf
# that sends Qt to the folder's plugins and translations, and a Japanese font for desktops that
# have none. The diary's month files are written beside the program, as with an installed one.
#
# Usage: scripts/bundle.sh [OUTPUT_FOLDER]   (default build-bundle in the checkout)
#        scripts/bundle.sh --check FOLDER [CHROOT]   (checks the libraries of a folder it made, as
#        this machine or the chroot finds them)
# NOTERRA_BUNDLE_PROGRAM names an executable already built to put in the folder instead of
# building one (the test command bundles its own build).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/packages.sh"

# The libraries that stay the system's, by name. glibc is the system's and must be one copy;
# libstdc++ and libgcc_s too, as the desktop's GL drivers load them as well and a bundled older
# copy would be the one they get (so the bundle needs the libstdc++ of the build's GCC or newer).
# libGL, EGL and the rest of the GL dispatch, libX11 and libxcb with the X protocol extensions the
# GL drivers also load, and libwayland must match the drivers and the display server; fontconfig
# and freetype read the desktop's own font settings; libxkbcommon reads its keyboard layouts; and
# libdbus talks to its session bus. Every desktop has all of these. Their own dependencies are the
# system's affair and are not followed.
system_libraries=(
    'ld-linux-*.so.*' 'libc.so.*' 'libm.so.*' 'libmvec.so.*' 'libpthread.so.*' 'libdl.so.*' 'librt.so.*'
    'libresolv.so.*' 'libutil.so.*' 'libstdc++.so.*' 'libgcc_s.so.*'
    'libGL.so.*' 'libEGL.so.*' 'libGLX.so.*' 'libOpenGL.so.*' 'libGLdispatch.so.*'
    'libX11.so.*' 'libX11-xcb.so.*' 'libxcb.so.*' 'libxcb-glx.so.*' 'libxcb-dri2.so.*' 'libxcb-dri3.so.*'
    'libxcb-present.so.*' 'libxcb-sync.so.*' 'libxcb-xfixes.so.*' 'libxcb-shm.so.*' 'libxcb-randr.so.*'
    'libwayland-client.so.*' 'libwayland-cursor.so.*' 'libwayland-egl.so.*'
    'libfontconfig.so.*' 'libfreetype.so.*' 'libxkbcommon.so.*' 'libdbus-1.so.*'
)

# The plugins, by Qt's kind of plugin and file: both display systems with the shells and window
# decorations Wayland desktops ask for, both GL integrations the xcb platform loads, and the input
# methods of both frameworks (compose for dead keys without one). PNG, the only picture format the
# program reads, and the Fusion and Windows styles are built into Qt itself.
plugins=(
    platforms/libqxcb.so platforms/libqwayland-generic.so platforms/libqwayland-egl.so
    'xcbglintegrations/*.so' 'wayland-shell-integration/*.so' 'wayland-decoration-client/*.so'
    wayland-graphics-integration-client/libqt-plugin-wayland-egl.so
    platforminputcontexts/libibusplatforminputcontextplugin.so
    platforminputcontexts/libfcitx5platforminputcontextplugin.so
    platforminputcontexts/libcomposeplatforminputcontextplugin.so
)

# The IPA font licence allows passing the font on with its licence; its proportional face is the
# first the windows ask for after the design's own.
font=/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf
font_licence=/usr/share/doc/fonts-ipafont-gothic/copyright

is_system_library()
{
    local pattern
    for pattern in "${system_libraries[@]}"; do
        # shellcheck disable=SC2053 # the patterns are globs
        [[ $1 == $pattern ]] && return 0
    done
    return 1
}

# Copies into lib/ every library the named ELF files need that is not the system's, and the ones
# those need in turn, found where this machine's loader finds them.
bundle_needed()
{
    local queue=("$@") file soname path
    while [ ${#queue[@]} -gt 0 ]; do
        file=${queue[0]}
        queue=("${queue[@]:1}")
        while read -r soname path; do
            is_system_library "$soname" && continue
            [ -e "$folder/lib/$soname" ] && continue
            [ -n "$path" ] && [ -e "$path" ] || { echo "$file needs $soname, which this machine lacks" >&2 && exit 1; }
            cp -L "$path" "$folder/lib/$soname"
            chmod u+w "$folder/lib/$soname"
            queue+=("$folder/lib/$soname")
        done < <(needed_with_paths "$file")
    done
}

# The file's own needs (not its dependencies' needs), each with where the loader finds it, on this
# machine or in the chroot named second (the file's path is this machine's).
needed_with_paths()
{
    local needed root=${2:-}
    needed=$(objdump -p "$1" | awk '$1 == "NEEDED" { print $2 }')
    [ -n "$needed" ] || return 0
    ${root:+chroot "$root"} ldd "${1#"$root"}" | awk -v wanted="$(tr '\n' ' ' <<<"$needed")" '
        BEGIN { n = split(wanted, w, " "); for (i = 1; i <= n; i++) need[w[i]] = 1 }
        $2 == "=>" && ($1 in need) {
            path = $0; sub(/^[^>]*=> /, "", path); sub(/ \(0x[0-9a-f]+\)$/, "", path)
            print $1, (path == "not found" ? "" : path) }'
}

# Fails unless every library that an ELF file of the folder needs is found in the folder or is a
# system library, on this machine or in the chroot named second.
check_folder()
{
    local folder=$1 root=${2:-} file soname path checked=0
    while IFS= read -r -d '' file; do
        [ "$(head -c4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
        checked=$((checked + 1))
        while read -r soname path; do
            [[ $path == "${folder#"$root"}"/* ]] && continue
            is_system_library "$soname" && [ -n "$path" ] ||
                { echo "$file needs $soname, found at '${path:-nowhere}'" >&2 && return 1; }
        done < <(needed_with_paths "$file" "$root")
    done < <(find "$folder" -type f -print0)
    echo "Every library of the $checked programs and libraries in $folder is found${root:+ in $root}"
}

if [ "${1:-}" = --check ]; then
    check_folder "$(cd "$2" && pwd)" "${3:-}"
    exit
fi
out=$(mkdir -p "${1:-$root/build-bundle}" && cd "${1:-$root/build-bundle}" && pwd)
folder=$out/Noterra
# A folder of that name that holds a diary (an output folder named by mistake, or a bundle that has
# been used) is never replaced.
if compgen -G "$folder/Diary*" >/dev/null || compgen -G "$folder/.noterra*" >/dev/null; then
    echo "$folder holds a diary; it is left as it is. Name another output folder." >&2
    exit 1
fi
noterra_ensure_packages "${NOTERRA_BUILD_PACKAGES[@]}" "${NOTERRA_BUNDLE_PACKAGES[@]}"

program=${NOTERRA_BUNDLE_PROGRAM:-}
if [ -z "$program" ]; then
    cmake -S "$root" -B "$out/build" -DCMAKE_BUILD_TYPE=Release -DNOTERRA_TESTS=OFF -DNOTERRA_BENCH=OFF >/dev/null
    cmake --build "$out/build" --parallel "$(nproc)" --target noterra
    program=$out/build/src/noterra
fi
qt_plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/"$(gcc -dumpmachine)"/qt6/plugins)
qt_translations=$(qtpaths6 --query QT_INSTALL_TRANSLATIONS 2>/dev/null || echo /usr/share/qt6/translations)

rm -rf "$folder"
mkdir -p "$folder/lib" "$folder/plugins" "$folder/translations" "$folder/fonts"

cp "$program" "$folder/noterra"
chmod u+w "$folder/noterra"
strip --strip-unneeded "$folder/noterra"
patchelf --set-rpath '$ORIGIN/lib' "$folder/noterra"

for pattern in "${plugins[@]}"; do
    found=0
    for plugin in "$qt_plugins"/$pattern; do
        [ -e "$plugin" ] || continue
        kind=$(basename "$(dirname "$plugin")")
        mkdir -p "$folder/plugins/$kind"
        cp "$plugin" "$folder/plugins/$kind/"
        chmod u+w "$folder/plugins/$kind/$(basename "$plugin")"
        patchelf --set-rpath '$ORIGIN/../../lib' "$folder/plugins/$kind/$(basename "$plugin")"
        found=1
    done
    [ $found -eq 1 ] || echo "Not carried: no Qt plugin $qt_plugins/$pattern on this machine" >&2
done
# Without it the program cannot show a window on most desktops.
[ -e "$folder/plugins/platforms/libqxcb.so" ] || { echo "No xcb platform plugin to carry" >&2 && exit 1; }

mapfile -t elves < <(find "$folder/noterra" "$folder/plugins" -type f)
bundle_needed "${elves[@]}"
for library in "$folder"/lib/*; do
    patchelf --set-rpath '$ORIGIN' "$library"
done

cp "$qt_translations/qtbase_ja.qm" "$folder/translations/"
cp "$font" "$folder/fonts/"
cp "$font_licence" "$folder/fonts/$(basename "$font" .ttf)-LICENSE.txt"
# Paths are taken from the folder that holds qt.conf, which is the program's.
printf '[Paths]\nPrefix = .\nPlugins = plugins\nTranslations = translations\n' >"$folder/qt.conf"

# The oldest glibc and libstdc++ the folder runs with are the highest versions its files ask for.
highest_version()
{
    find "$folder" -type f \( -name noterra -o -name '*.so*' \) -exec objdump -T {} + 2>/dev/null |
        grep -o "(${1}_[0-9.]*)" | tr -d '()' | sort -u -V | tail -n1
}
check_folder "$folder"
machine=$(uname -m)
tar -C "$out" -czf "$out/noterra-linux-$machine.tar.gz" Noterra
echo "Bundle: $folder"
echo "Archive: $out/noterra-linux-$machine.tar.gz ($(du -m "$out/noterra-linux-$machine.tar.gz" | cut -f1) MB)"
echo "Needs at least $(highest_version GLIBC) and $(highest_version GLIBCXX)"
