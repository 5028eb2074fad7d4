#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a player's machine gets it: built once by CPack, its contents and
# dependencies listed and checked, lintian run with no tag suppressed (no error, no
# warning), then unpacked into a scratch root whose program folder is made read-only. The
# desktop entry's command starts the game there as an ordinary user (uid 65534, Debian's
# PATH for ordinary accounts, with the games folder of the scratch root) under Xvfb, and it
# reaches the settings screen, finds its standard pictures through the games/tavik symlink,
# and quits with exit code 0 without touching its program folder.
#   package_deb.sh <build-folder> <program-folder below the prefix> <output-folder>
set -euo pipefail
build=$1
programdir=$2
out=$3
work=$(mktemp -d)
tavik_pid=
xvfb_pid=
trap 'kill $tavik_pid $xvfb_pid 2>/dev/null || true; chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
chmod 755 "$work"

# Build: CPack runs the install rules into its own staging folder.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >/dev/null) || fail "cpack"
deb=$(ls "$work"/pkg/tavik_*.deb)
cp "$deb" "$out/"
echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Package Version Section Depends
dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' | grep -v '/$' > "$work/contents"
grep -v '/Bild[0-9]*\.jpg' "$work/contents"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "dependencies not found by dpkg-shlibdeps"
[ "$(grep -c "^./usr/$programdir/Bild[0-9]*\.jpg" "$work/contents")" -eq 50 ] || fail "standard pictures"
grep -q "^./usr/$programdir/HSTavik" "$work/contents" || fail "first high-score list"
grep -q "^./usr/games/tavik -> ../" "$work/contents" || fail "tavik command in /usr/games"
! grep -q "^./usr/bin/" "$work/contents" || fail "a command in /usr/bin"
grep -q "^./usr/share/man/man6/tavik.6.gz$" "$work/contents" || fail "manual page"
if [ -n "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'preinst|postinst|prerm|postrm')" ]; then
    fail "the package carries maintainer scripts"
fi
command -v lintian >/dev/null || fail "lintian is not installed (tools/install-deps.sh installs it)"
lintian_code=0
lintian --fail-on error,warning --tag-display-limit 0 "$deb" > "$work/lintian" 2> "$work/lintian.err" || lintian_code=$?
cat "$work/lintian"
[ "$lintian_code" -eq 0 ] || fail "lintian ended with $lintian_code: $(cat "$work/lintian.err")"
! grep -q '^[EW]:' "$work/lintian" || fail "lintian errors or warnings"

# Unpack into a scratch root and make the program folder read-only.
root="$work/root"
dpkg-deb -x "$deb" "$root"
chmod -R a-w "$root/usr/$programdir"
before=$(cd "$root/usr/$programdir" && sha256sum HSTavik)
player="$work/player"
mkdir -p "$player/home" "$player/runtime"
chown -R 65534:65534 "$player"
chmod 700 "$player/runtime"

command=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/tavik.desktop")
[ "$command" = tavik ] || fail "unexpected desktop command: $command"

source "$(dirname "$0")/xsession.sh"
start_xvfb
# An ordinary account: the read-only folder really is read-only for it.
as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups
           env -i DISPLAY="$DISPLAY" HOME="$player/home" XDG_RUNTIME_DIR="$player/runtime"
           PATH="/usr/local/bin:/usr/bin:/bin:/usr/local/games:$root/usr/games")
if "${as_player[@]}" sh -c "touch '$root/usr/$programdir/probe'" 2>/dev/null; then
    fail "the program folder is writable for the player"
fi
(cd / && exec "${as_player[@]}" "$command") &
tavik_pid=$!

options=$(wait_window --onlyvisible --name '^Tavik V1.1$') || fail "no settings screen"
sleep 0.5
import -window root "$out/package-options.png"
eval "$(xdotool getwindowgeometry --shell "$options")"
# The file list (right of the folder list) shows the standard pictures of the program
# folder: its text makes dark pixels where an empty list would be plain white.
dark=$(convert "$out/package-options.png" -crop "130x100+$((X + 308))+$((Y + 28))" -colorspace Gray \
       -threshold 50% -format '%[fx:int(w*h*(1-mean))]' info:)
echo "dark pixels in the file list: $dark"
[ "$dark" -gt 50 ] || fail "the file list is empty: the program folder was not found"

xdotool mousemove $((X + 20)) $((Y + 172)) click 1
box=$(wait_message_box "$options") || fail "no quit question"
press_enter_in "$box"
for _ in $(seq 100); do kill -0 "$tavik_pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$tavik_pid" 2>/dev/null && fail "the program did not end after Yes"
set +e; wait "$tavik_pid"; code=$?; set -e
tavik_pid=
[ "$code" -eq 0 ] || fail "exit code $code"
[ "$(cd "$root/usr/$programdir" && sha256sum HSTavik)" = "$before" ] || fail "the program folder's list changed"
[ "$(cd "$root/usr/$programdir" && ls | wc -l)" -eq 52 ] || fail "something appeared in the program folder"
echo "1 passed, 0 failed"
