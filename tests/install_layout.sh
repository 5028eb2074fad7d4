#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install` as a packager runs it: a staged install (DESTDIR, prefix /usr) puts
# exactly the expected files under the stage and nothing anywhere else (HOME stays empty),
# the desktop entry and the AppStream metainfo pass their validators, the licence is named
# in the metainfo, the copyright file and COPYING, a reinstall keeps a player's high-score
# list, and the portable layout still gives a self-contained folder.
#   install_layout.sh <build-folder> <program-folder below the prefix> <appstream id>
set -euo pipefail
build=$1
programdir=$2
appid=$3
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$work/home" "$work/stage"

# A packager configures with the prefix /usr from the start; the program folder is then the
# same as the one `make package` and this build use (GNUInstallDirs would make its lib
# folder lib/<multiarch> there).
cmake -S "$source_dir" -B "$work/usr-tree" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
usr_programdir=$(sed -n 's/^TAVIK_INSTALL_PROGRAMDIR:STRING=//p' "$work/usr-tree/CMakeCache.txt")
[ "$usr_programdir" = "$programdir" ] || fail "prefix /usr puts the program folder in $usr_programdir, not $programdir"
rm -rf "$work/usr-tree"
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share"
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null

# The expected layout, every file and symlink under the stage.
{
    echo "usr/bin/tavik"
    echo "usr/$programdir/tavik"
    echo "usr/$programdir/HSTavik"
    for i in $(seq -w 1 50); do echo "usr/$programdir/Bild$i.jpg"; done
    echo "usr/share/applications/tavik.desktop"
    echo "usr/share/metainfo/$appid.metainfo.xml"
    echo "usr/share/doc/tavik/changelog.gz"
    echo "usr/share/doc/tavik/copyright"
    for side in 16 22 24 32 48 64 128 256; do
        echo "usr/share/icons/hicolor/${side}x${side}/apps/tavik.png"
    done
} | sort > "$work/expected"
(cd "$work/stage" && find . -not -type d | sed 's|^\./||' | sort) > "$work/found"
diff -u "$work/expected" "$work/found" || fail "the staged files differ from the layout"
[ -z "$(ls -A "$work/home")" ] || fail "the install wrote into HOME: $(find "$work/home")"

# The command is a relative symlink to the executable, valid wherever the stage is unpacked.
[ "$(readlink -f "$work/stage/usr/bin/tavik")" = "$work/stage/usr/$programdir/tavik" ] || fail "bin/tavik"
[[ "$(readlink "$work/stage/usr/bin/tavik")" != /* ]] || fail "bin/tavik is an absolute link"
[ -x "$work/stage/usr/$programdir/tavik" ] || fail "no executable"
cmp -s "$work/stage/usr/$programdir/HSTavik" "$source_dir/resources/HSTavik" || fail "first high-score list"
grep -qx "Exec=tavik" "$work/stage/usr/share/applications/tavik.desktop" || fail "desktop entry command"

desktop-file-validate "$work/stage/usr/share/applications/tavik.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/stage/usr/share/metainfo/$appid.metainfo.xml" || fail "appstreamcli validate"
grep -q '<launchable type="desktop-id">tavik.desktop</launchable>' \
    "$work/stage/usr/share/metainfo/$appid.metainfo.xml" || fail "launchable desktop entry"
grep -q '<release version="1.1"' "$work/stage/usr/share/metainfo/$appid.metainfo.xml" || fail "release 1.1"

# The licence: GPL-3.0-or-later for the game, CC0-1.0 for the metainfo itself, in the
# copyright file for every file (artwork and standard pictures included), and COPYING in full.
metainfo="$work/stage/usr/share/metainfo/$appid.metainfo.xml"
grep -qx '  <project_license>GPL-3.0-or-later</project_license>' "$metainfo" || fail "metainfo project_license"
grep -qx '  <metadata_license>CC0-1.0</metadata_license>' "$metainfo" || fail "metainfo metadata_license"
copyright="$work/stage/usr/share/doc/tavik/copyright"
head -n1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || fail "copyright file not machine-readable"
# Each Files stanza with its licence, in order; every licence named has its own paragraph.
stanzas=$(awk '/^Files:/ { files = $0 } /^License:/ && files { print files " => " $2; files = "" }' "$copyright")
[ "$stanzas" = "Files: * => GPL-3+
Files: resources/pictures/* resources/artwork/* resources/icons/* => GPL-3+
Files: resources/metainfo.xml.in => CC0-1.0" ] || fail "copyright stanzas: $stanzas"
for licence in GPL-3+ CC0-1.0; do
    awk -v l="$licence" '/^Files:/ { files = 1 } /^$/ { files = 0 } !files && $0 == "License: " l { found = 1 } END { exit !found }' \
        "$copyright" || fail "no licence paragraph for $licence"
done
grep -q '/usr/share/common-licenses/GPL-3"' "$copyright" || fail "copyright does not point at common-licenses/GPL-3"
! grep -qi 'all rights reserved' "$copyright" || fail "copyright still reserves all rights"
cmp -s "$source_dir/COPYING" /usr/share/common-licenses/GPL-3 || fail "COPYING is not the GPL version 3"

# A reinstall over a player's list keeps it.
printf 'Mine\r\n 9999 \r\n' > "$work/stage/usr/$programdir/HSTavik"
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
[ "$(head -c 4 "$work/stage/usr/$programdir/HSTavik")" = "Mine" ] || fail "reinstalling replaced the list"
[ -z "$(ls -A "$work/home")" ] || fail "the reinstall wrote into HOME"

# The portable folder: the program folder as the prefix itself, and nothing else.
cmake --install "$build" --component portable --prefix "$work/portable" >/dev/null
{
    echo tavik; echo HSTavik
    for i in $(seq -w 1 50); do echo "Bild$i.jpg"; done
} | sort > "$work/expected"
(cd "$work/portable" && find . -not -type d | sed 's|^\./||' | sort) > "$work/found"
diff -u "$work/expected" "$work/found" || fail "the portable folder differs from the layout"
[ -z "$(ls -A "$work/home")" ] || fail "the portable install wrote into HOME"
echo "1 passed, 0 failed"
