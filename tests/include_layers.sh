#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The layers of the source, checked from its #include lines: each folder includes its own
# headers and those of the folders it may use, never one above it, so no two folders lean
# on each other; and the code below the windows includes no widget (nor, but for the
# pictures, any Gui) header.
#   include_layers.sh <source folder>
set -euo pipefail
cd "$1"

declare -A uses=(
    [app]="app ui rules scores pictures platform"
    [ui]="ui rules scores pictures platform"
    [scores]="scores rules platform"
    [pictures]="pictures rules platform"
    [rules]="rules"
    [platform]="platform"
)
# Qt headers each layer may not reach for: the windows' library, and the image library.
widgets='QtWidgets/|<Q(Widget|Label|PushButton|Frame|Application|ListWidget|ListView|ComboBox|LineEdit|MessageBox|ProgressBar)>'
gui='QtGui/|<Q(Image|Pixmap|Color|Font|Painter|Icon|GuiApplication|ImageReader|Transform)>'
declare -A forbidden=(
    [scores]="$widgets|$gui"
    [rules]="$widgets|$gui"
    [platform]="$widgets|$gui"
    [pictures]="$widgets"
)

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
        if [ -n "${forbidden[$layer]:-}" ] && grep -qE "^[[:space:]]*#[[:space:]]*include[[:space:]]*(${forbidden[$layer]})" <<< "$line"; then
            fail "$file: $layer needs no display: $line"
        fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find . -path ./build -prune -o -path './build-*' -prune -o -path ./tests -prune -o -path ./bench -prune \
              -o -path ./tools -prune -o -path ./resources -prune -o -path ./.git -prune \
              -o \( -name '*.h' -o -name '*.cpp' -o -name '*.h.in' \) -print | sed 's|^\./||' | sort)

[ "$failures" -eq 0 ] || exit 1
echo "1 passed, 0 failed"
