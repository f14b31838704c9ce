# shellcheck shell=bash disable=SC2034
# Sourced by run.sh, test.sh and the start-up benchmark: the Debian packages each needs, and
# installing the missing ones.

NOTERRA_BUILD_PACKAGES=(build-essential cmake qt6-base-dev qt6-base-dev-tools libxml2-dev libgl1-mesa-dev)
# Japanese glyphs for the windows, and Qt's own Japanese texts (context menus, message box buttons).
NOTERRA_RUNTIME_PACKAGES=(fonts-ipafont-gothic fonts-noto-cjk qt6-translations-l10n)
# The benchmarks (bench/, -DNOTERRA_BENCH=ON): Google Benchmark for the store, Xlib for the start-up probe.
NOTERRA_BENCH_PACKAGES=(libbenchmark-dev libx11-dev)
# The end-to-end tests drive the real program on a virtual X server with a fixed date; one reads it
# through the accessibility bus as a screen reader does, and two type Japanese through both input
# method frameworks with their Mozc engines. The save is also tested on FAT32, exFAT and NTFS images
# mounted through FUSE.
NOTERRA_E2E_PACKAGES=(xvfb xdotool x11-utils x11-xserver-utils imagemagick faketime openbox wmctrl
    procps dbus-daemon dbus-bin at-spi2-core python3-pyatspi ibus ibus-mozc mozc-server fcitx5 fcitx5-mozc fcitx5-frontend-qt6
    dosfstools fusefat exfatprogs exfat-fuse ntfs-3g)
# The window tests run once more in a Japanese locale, made from this package's sources.
NOTERRA_LOCALE_PACKAGES=(locales)
# The formatting check (clang-format 14 on Debian 12; the check skips with other versions).
NOTERRA_CHECK_PACKAGES=(clang-format)
# The Clang build of the test command: warnings as errors, AddressSanitizer, UndefinedBehaviorSanitizer,
# libFuzzer and clang-tidy. The unversioned names follow each suite's default Clang; the runtimes of
# the sanitizers and libFuzzer are the package noterra_clang_runtime names.
NOTERRA_CLANG_PACKAGES=(clang clang-tidy)
# The carried folder (scripts/bundle.sh): the Wayland platform and the fcitx5 input method it carries
# besides the xcb platform and ibus of qt6-base, its Japanese font, and the tools that find the
# libraries and set their run paths.
NOTERRA_BUNDLE_PACKAGES=(qt6-wayland fcitx5-frontend-qt6 qt6-translations-l10n fonts-ipafont-gothic patchelf binutils)
# The test command makes that folder of its own build and starts it.
NOTERRA_E2E_PACKAGES+=("${NOTERRA_BUNDLE_PACKAGES[@]}")
# The test run in a fresh chroot of another Debian suite (scripts/test-in-debian.sh).
NOTERRA_CHROOT_PACKAGES=(debootstrap debian-archive-keyring)

noterra_is_installed()
{
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

# Installs with apt-get those of the named packages that are missing; asks apt for its package
# lists only when something is missing, and never waits for an answer on standard input.
noterra_ensure_packages()
{
    local missing=() package
    for package in "$@"; do
        noterra_is_installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Missing packages (${missing[*]}) and no sudo to install them." >&2; return 1; }
        as_root=(sudo)
    fi
    echo "Installing ${missing[*]}"
    local apt=(env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=300)
    "${as_root[@]}" "${apt[@]}" update </dev/null
    "${as_root[@]}" "${apt[@]}" install -y --no-install-recommends "${missing[@]}" </dev/null
}

# The package with Clang's sanitizer and libFuzzer runtimes: unversioned where the suite has it
# (Debian 12 and 13), else the one of the installed clang's version.
noterra_clang_runtime()
{
    local version
    if apt-cache show libclang-rt-dev >/dev/null 2>&1 || noterra_is_installed libclang-rt-dev; then
        echo libclang-rt-dev
        return
    fi
    version=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
    echo "libclang-rt-${version:-14}-dev"
}
