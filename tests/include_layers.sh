#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The layers of the source, checked from its #include lines: each folder includes its own
# headers and those of the folders it may use, never one above it, so no two folders lean
# on each other; and the code below the windows uses Qt Core only (the pictures Qt Gui too).
#   include_layers.sh [source folder]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A uses=(
    [app]="app ui rules scores pictures platform"
    [ui]="ui rules scores pictures platform"
    [scores]="scores rules platform"
    [pictures]="pictures rules platform"
    [rules]="rules"
    [platform]="platform"
)
# The Qt modules each layer may use; a header's module is found where Qt keeps it.
qt=$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)
declare -A modules=(
    [scores]="QtCore"
    [rules]="QtCore"
    [platform]="QtCore"
    [pictures]="QtCore QtGui"
)
module_of() { # the Qt module of an <...> include, or nothing for a header that is not Qt's
    local name=$1 m
    case "$name" in
        Qt*/*) echo "${name%%/*}"; return 0 ;;
        Q*) [ -d "$qt/$name" ] && { echo "$name"; return 0; }
            for m in QtCore QtGui; do [ -e "$qt/$m/$name" ] && { echo "$m"; return 0; }; done
            echo "a Qt module above Gui" ;;
    esac
    return 0
}

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

while IFS= read -r file; do
    layer=${file%%/*}
    if [ -z "${uses[$layer]+set}" ]; then
        fail "$file lies outside the layers (${!uses[*]})"
        continue
    fi
    while IFS= read -r line; do
        target=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^/"]*\)\/.*/\1/p' <<< "$line")
        if [ -n "$target" ] && [[ " ${uses[$layer]} " != *" $target "* ]]; then
            fail "$file: $layer may not include $target: $line"
        fi
        header=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' <<< "$line")
        if [ -n "$header" ] && [ -n "${modules[$layer]:-}" ]; then
            module=$(module_of "$header")
            if [ -n "$module" ] && [[ " ${modules[$layer]} " != *" $module "* ]]; then
                fail "$file: $layer may use only ${modules[$layer]}, not $module: $line"
            fi
        fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find . -path ./build -prune -o -path './build-*' -prune -o -path ./tests -prune -o -path ./bench -prune \
              -o -path ./tools -prune -o -path ./resources -prune -o -path ./.git -prune \
              -o \( -name '*.h' -o -name '*.cpp' -o -name '*.h.in' \) -print | sed 's|^\./||' | sort)

[ "$failures" -eq 0 ] || exit 1
echo "1 passed, 0 failed"
