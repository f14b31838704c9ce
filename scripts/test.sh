#!/usr/bin/env bash
# Installs what the build and the tests need, builds with the tests and benchmarks and runs the tests, and
# beside them the checks of a Clang build with the sanitizers, fuzz targets and clang-tidy. CTest's
# summary is the last thing printed and its exit code is this script's.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/packages.sh"

noterra_ensure_packages "${NOTERRA_BUILD_PACKAGES[@]}" "${NOTERRA_RUNTIME_PACKAGES[@]}" "${NOTERRA_E2E_PACKAGES[@]}" \
    "${NOTERRA_BENCH_PACKAGES[@]}" "${NOTERRA_CHECK_PACKAGES[@]}" "${NOTERRA_LOCALE_PACKAGES[@]}" \
    "${NOTERRA_CLANG_PACKAGES[@]}"
noterra_ensure_packages "$(noterra_clang_runtime)"

build=${NOTERRA_TEST_BUILD:-$root/build-test}
clang_build=${NOTERRA_CLANG_BUILD:-$root/build-clang}
# The Clang build is only configured here; building it is the first test of the run, so that a
# warning there fails that test and the run goes on to its summary. It skips the benchmarks and
# is optimised less than the GCC build: the sanitizers' findings need no more, and it builds sooner.
CXX=clang++ cmake -S "$root" -B "$clang_build" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" \
    -DNOTERRA_TESTS=ON -DNOTERRA_WERROR=ON -DNOTERRA_SANITIZE=ON -DNOTERRA_FUZZ=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
# The benchmarks are built too, though not run, so that they keep compiling.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOTERRA_TESTS=ON -DNOTERRA_BENCH=ON \
    -DNOTERRA_CLANG_TREE="$clang_build"
cmake --build "$build" --parallel "$(nproc)"

# Run on a Japanese desktop (LANG=ja_JP.UTF-8) where the machine has no such locale, the whole run
# is made Japanese all the same; glibc would fall back to C without a word.
wanted=${LC_ALL:-${LANG:-}}
if [[ $wanted == ja_JP.* ]] && [ "$(LC_ALL=$wanted locale charmap 2>/dev/null)" != UTF-8 ]; then
    bash "$root/tests/japanese-locale.sh" "$build/locale-run"
    export LOCPATH=$build/locale-run
    export LC_ALL=ja_JP.UTF-8
fi

cd "$build"
exec ctest --output-on-failure
