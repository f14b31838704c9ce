#!/usr/bin/env bash
# Checks that the C++ sources are formatted as .clang-format says. Versions of clang-format format
# differently, so the check is pinned to the one Debian 12 ships (14); elsewhere it skips (exit 77)
# and says why.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
format=
for candidate in clang-format-14 clang-format; do
    if command -v "$candidate" >/dev/null && "$candidate" --version | grep -q 'version 14\.'; then
        format=$candidate
        break
    fi
done
if [ -z "$format" ]; then
    echo "SKIP: no clang-format 14 here ($(clang-format --version 2>/dev/null || echo 'none installed')); other versions format differently"
    exit 77
fi
cd "$root"
find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z | xargs -0 "$format" --dry-run --Werror
echo "formatted as .clang-format says ($("$format" --version))"
