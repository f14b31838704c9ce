# shellcheck shell=bash
# shellcheck disable=SC2154 # app, left, top and work come from tests/e2e/lib.sh
# What the tests of the carried folder (scripts/bundle.sh) share, on top of tests/e2e/lib.sh:
# the check that every library the folder's files need is in the folder or one the desktop
# brings, and a start that types an entry and saves it into the folder beside the program.

# shellcheck source-path=SCRIPTDIR source=../e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh" || exit 1

# Fails unless every library that an ELF file of the folder needs resolves, as `ldd` finds it
# on this machine or in the given chroot, into the folder or to a system library of the list
# (globs, one a line). Usage: check_libraries FOLDER LIST [CHROOT]
check_libraries()
{
    local folder=$1 list=$2 root=${3:-} file soname path checked=0
    while IFS= read -r -d '' file; do
        [ "$(head -c4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
        checked=$((checked + 1))
        while read -r soname path; do
            [[ $path == "${folder#"$root"}"/* ]] && continue
            allowed "$soname" "$list" && [ -n "$path" ] || fail "$file needs $soname, found at '${path:-nowhere}'"
        done < <(needed_libraries "$file" "$root")
    done < <(find "$folder" -type f -print0)
    [ $checked -gt 10 ] || fail "only $checked ELF files in $folder"
    echo "checked the libraries of $checked ELF files in $folder"
}
allowed()
{
    local pattern
    while read -r pattern; do
        # shellcheck disable=SC2053 # the list holds globs
        [[ $1 == $pattern ]] && return 0
    done <"$2"
    return 1
}
# The file's own needs, each with the path where the loader finds it (empty when it does not).
needed_libraries()
{
    local file=$1 root=$2 needed
    needed=$(objdump -p "$file" | awk '$1 == "NEEDED" { print $2 }' | tr '\n' ' ')
    ${root:+chroot "$root"} ldd "${file#"$root"}" | awk -v wanted="$needed" '
        BEGIN { n = split(wanted, w, " "); for (i = 1; i <= n; i++) need[w[i]] = 1 }
        $2 == "=>" && ($1 in need) {
            path = $0; sub(/^[^>]*=> /, "", path); sub(/ \(0x[0-9a-f]+\)$/, "", path)
            print $1, (path == "not found" ? "" : path) }'
}

# Starts the program with the given command, which must exec it (so that its pid is the
# program's), and checks on its window: the folder's own Qt and no other, the input method's
# plugin of the folder and, where the desktop has no Japanese font, the folder's font. Then
# types an entry and saves it with BtnEnd; the month file beside the program must hold it.
# Usage: start_type_and_save NAME FOLDER_HERE IM_PLUGIN FONT_USED(yes|no) COMMAND...
start_type_and_save()
{
    local name=$1 here=$2 plugin=$3 font=$4 text maps
    shift 4
    text="carried $RANDOM"
    "$@" >>"$work/noterra.log" 2>&1 &
    app=$!
    started+=("$app")
    take_main_window
    maps=$(cat "/proc/$app/maps")
    grep -q "/plugins/platforminputcontexts/$plugin" <<<"$maps" || fail "the input method plugin $plugin is not loaded"
    grep 'libQt6' <<<"$maps" | grep -qv "/Noterra/lib/libQt6" && fail "a Qt library from outside the folder is loaded"
    if [ "$font" = yes ]; then
        grep -q "/Noterra/fonts/ipagp.ttf" <<<"$maps" || fail "the folder's Japanese font is not used"
    fi
    shot "$name.png"
    click_and_watch BtnNew ListTitle "新規 added no title to the list"
    timeout 5 xdotool type --delay 20 -- "$text"
    save_and_end
    grep -qs "$text" "$here"/Diary*.xml || fail "no month file beside the program in $here holds the entry"
    echo "saved into $(cd "$here" && ls Diary*.xml) beside the program in $here"
}
