#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install` as a packager runs it: a staged install (DESTDIR, prefix /usr) puts
# exactly the expected files under the stage, the command in /usr/games, and nothing
# anywhere else (HOME stays empty); the desktop entry and the AppStream metainfo pass their
# validators, the manual pages render and lint clean, the licence is named in the metainfo,
# the copyright file and COPYING; the command goes to bin/ under any prefix but Debian's
# own; a reinstall keeps a player's high-score list, and the portable layout still gives a
# self-contained folder.
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
    echo "usr/games/tavik"
    echo "usr/$programdir/tavik"
    echo "usr/$programdir/HSTavik"
    for i in $(seq -w 1 50); do echo "usr/$programdir/Bild$i.jpg"; done
    echo "usr/share/applications/tavik.desktop"
    echo "usr/share/metainfo/$appid.metainfo.xml"
    echo "usr/share/doc/tavik/changelog.gz"
    echo "usr/share/doc/tavik/copyright"
    echo "usr/share/man/man6/tavik.6.gz"
    echo "usr/share/man/de/man6/tavik.6.gz"
    for side in 16 22 24 32 48 64 128 256; do
        echo "usr/share/icons/hicolor/${side}x${side}/apps/tavik.png"
    done
} | sort > "$work/expected"
(cd "$work/stage" && find . -not -type d | sed 's|^\./||' | sort) > "$work/found"
diff -u "$work/expected" "$work/found" || fail "the staged files differ from the layout"
[ -z "$(ls -A "$work/home")" ] || fail "the install wrote into HOME: $(find "$work/home")"

# The command is a relative symlink to the executable, valid wherever the stage is unpacked.
[ "$(readlink -f "$work/stage/usr/games/tavik")" = "$work/stage/usr/$programdir/tavik" ] || fail "games/tavik"
[[ "$(readlink "$work/stage/usr/games/tavik")" != /* ]] || fail "games/tavik is an absolute link"
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

# The manual pages, English in man6 and German for German locales: they lint clean, render
# through man without a warning and say where the command and the program folder are.
for page in man6 de/man6; do
    gz="$work/stage/usr/share/man/$page/tavik.6.gz"
    gzip -t "$gz" || fail "$page/tavik.6.gz is not gzip"
    zcat "$gz" > "$work/tavik.6"
    lint=$(mandoc -T lint "$work/tavik.6" 2>&1) || fail "mandoc -T lint $page: $lint"
    [ -z "$lint" ] || fail "mandoc -T lint $page: $lint"
    groff_warnings=$(groff -k -ww -z -man "$work/tavik.6" 2>&1)
    [ -z "$groff_warnings" ] || fail "groff -ww $page: $groff_warnings"
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$gz" > "$work/tavik.txt" 2> "$work/man.err" \
        || fail "man -l $page"
    [ ! -s "$work/man.err" ] || fail "man -l $page: $(cat "$work/man.err")"
    grep -q '^TAVIK(6) ' "$work/tavik.txt" || fail "$page: no TAVIK(6) header"
    grep -q '^       /usr/games/tavik$' "$work/tavik.txt" || fail "$page: the command's path"
    grep -q "^       /usr/$programdir/\$" "$work/tavik.txt" || fail "$page: the program folder"
    grep -q 'QT_LOGGING_RULES="tavik.*.info=true"' "$work/tavik.txt" || fail "$page: the picture log rule"
    ! grep -q '@' "$work/tavik.6" || fail "$page: a placeholder was left"
done
for heading in NAME SYNOPSIS DESCRIPTION 'HOW TO PLAY' KEYS 'HIGH SCORES' ENVIRONMENT FILES LICENSE; do
    zcat "$work/stage/usr/share/man/man6/tavik.6.gz" | grep -qx ".SH \"\?$heading\"\?" || fail "English page: no $heading"
done
for heading in BEZEICHNUNG ÜBERSICHT BESCHREIBUNG SPIELABLAUF TASTEN BESTENLISTE UMGEBUNG DATEIEN LIZENZ; do
    zcat "$work/stage/usr/share/man/de/man6/tavik.6.gz" | grep -qx ".SH $heading" || fail "German page: no $heading"
done

# The command lands in games/ only under Debian's prefixes /usr and /usr/local, whose games
# folders are on every player's PATH; any other prefix (a player's ~/.local, /opt, a folder
# below /usr/local) keeps bin/, where no games folder would be found.
for row in /usr:games /usr/local:games /usr/local/tavik:bin /opt:bin /home/player/.local:bin; do
    prefix=${row%:*}
    want=${row##*:}
    DESTDIR="$work/prefix" cmake --install "$build" --component game --prefix "$prefix" >/dev/null
    for folder in bin games; do
        if [ "$folder" = "$want" ]; then
            [ -x "$work/prefix$prefix/$folder/tavik" ] || fail "prefix $prefix: no command in $folder/"
            [ "$(readlink -f "$work/prefix$prefix/$folder/tavik")" = "$work/prefix$prefix/$programdir/tavik" ] \
                || fail "prefix $prefix: $folder/tavik does not lead to the program"
        else
            [ ! -e "$work/prefix$prefix/$folder" ] || fail "prefix $prefix: a $folder/ folder as well"
        fi
    done
    rm -rf "$work/prefix"
done
[ -z "$(ls -A "$work/home")" ] || fail "an install wrote into HOME"

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
