#!/usr/bin/env bash
# `cmake --install` lays out a self-contained program folder, adds the desktop entry and
# the icons, and never replaces a player's high-score list.
#   install_layout.sh <build-folder>
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export TAVIK_XDG_DATA_HOME="$work/share"

cmake --install "$build" --prefix "$work/tavik" >/dev/null
[ -x "$work/tavik/tavik" ] || fail "no executable"
[ "$(ls "$work/tavik"/Bild*.jpg | wc -l)" -ge 50 ] || fail "standard pictures missing"
cmp -s "$work/tavik/HSTavik" "$(dirname "$0")/../resources/HSTavik" || fail "first high-score list missing"
grep -qx "Exec=$work/tavik/tavik" "$work/share/applications/tavik.desktop" || fail "desktop entry"
for side in 16 22 24 32 48 64 128 256; do
    [ -f "$work/share/icons/hicolor/${side}x${side}/apps/tavik.png" ] || fail "icon ${side}"
done

printf 'Mine\r\n 9999 \r\n' > "$work/tavik/HSTavik"
cmake --install "$build" --prefix "$work/tavik" >/dev/null
[ "$(head -c 4 "$work/tavik/HSTavik")" = "Mine" ] || fail "reinstalling replaced the list"
echo "1 passed, 0 failed"
