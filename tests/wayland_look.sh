#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real executable in a Wayland session (headless Weston with XWayland), started as a
# desktop starts it: no platform chosen. The splash and the settings screen must open
# centred, at their size and without a title bar (screenshots through weston-screenshooter);
# a player's explicit QT_QPA_PLATFORM=wayland must be kept (no X11 window then), and without
# a working X server the game still starts, on Wayland.
#   wayland_look.sh <program-folder> <output-folder>
set -euo pipefail
app_dir=$1
out=$2
work=$(mktemp -d)
tavik_pid=
weston_pid=
trap 'kill $tavik_pid $weston_pid 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*"; echo "0 passed, 0 failed, 1 skipped"; exit 0; }

for tool in weston weston-screenshooter Xwayland xdotool convert; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (tools/install-deps.sh installs it)"
done
source "$(dirname "$0")/xsession.sh"   # wait_window
chmod 700 "$work"
export XDG_RUNTIME_DIR="$work"
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
socket="tavik-test-$$"
# --debug opens the screenshooter; the pixman renderer gives it pixels without a GPU.
weston --backend=headless-backend.so --use-pixman --width=1024 --height=768 --socket="$socket" \
       --xwayland --debug --idle-time=0 > "$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do grep -q 'xserver listening on display' "$work/weston.log" && break; sleep 0.05; done
display=$(grep -o 'xserver listening on display :[0-9]*' "$work/weston.log" | grep -o ':[0-9]*') \
    || skip "headless Weston did not start with XWayland: $(tail -n 3 "$work/weston.log" | tr '\n' ' ')"
export WAYLAND_DISPLAY="$socket" DISPLAY="$display" XDG_SESSION_TYPE=wayland

shot() { # file: a screenshot of the whole output
    rm -rf "$work/shot" && mkdir "$work/shot"
    (cd "$work/shot" && timeout 10 weston-screenshooter >/dev/null 2>&1) || fail "weston-screenshooter"
    mv "$work"/shot/*.png "$1"
}
# Where the window is on a screenshot: the box around everything light (window faces and
# title bars are light, Weston's desktop is a mid-grey pattern), below Weston's 32-pixel panel.
light_box() { convert "$1" -crop 1024x736+0+32 +repage -colorspace Gray -threshold 75% -format '%@' info:; }
# screenshot, expected width and height, name: the window is centred, at its size, and
# nothing light (a title bar) sits above it
check_window() {
    local box w h x y
    box=$(light_box "$1")
    IFS='x+' read -r w h x y <<< "$box"
    y=$(( y + 32 ))
    echo "$4 on the screen: ${w}x${h} at $x,$y"
    seen_at="${w}x${h}+${x}+${y}"
    local dw=$(( w - $2 )) dh=$(( h - $3 )) dx=$(( x + w / 2 - 512 )) dy=$(( y + h / 2 - 384 ))
    [ "${dw#-}" -le 3 ] && [ "${dh#-}" -le 3 ] || fail "$4 shows ${w}x${h}, not $2x$3 (a title bar adds height)"
    [ "${dx#-}" -le 3 ] && [ "${dy#-}" -le 3 ] || fail "$4 is not centred (off by $dx,$dy)"
}

sleep 0.5
shot "$work/desktop.png"   # the empty desktop: nothing light on it
[ "$(light_box "$work/desktop.png" 2>/dev/null)" = "0x0+1024+736" ] || skip "Weston's desktop is not the expected mid-grey"


(cd "$app_dir" && exec ./tavik) &
tavik_pid=$!
wait_window --onlyvisible --class tavik >/dev/null || fail "the splash did not open through XWayland"
sleep 0.4
shot "$out/wayland-splash.png"
check_window "$out/wayland-splash.png" 280 108 splash

wait_window --onlyvisible --name '^Tavik V1.1$' >/dev/null || fail "no settings screen"
# The closed splash must leave the screen (Weston may keep its last picture up to a second).
splash_at=$seen_at
splash_mean=$(convert "$out/wayland-splash.png" -crop "$splash_at" +repage -colorspace Gray -format '%[fx:mean]' info:)
gone=
for _ in $(seq 12); do
    sleep 0.25
    shot "$out/wayland-options.png"
    here=$(convert "$out/wayland-options.png" -crop "$splash_at" +repage -colorspace Gray -format '%[fx:mean]' info:)
    if awk -v a="$here" -v b="$splash_mean" 'BEGIN { exit !(a - b > 0.01 || b - a > 0.01) }'; then gone=1; break; fi
done
[ -n "$gone" ] || fail "the splash stays on the screen over the settings screen"
check_window "$out/wayland-options.png" 570 194 "settings screen"
kill "$tavik_pid"; wait "$tavik_pid" 2>/dev/null || true

# The player's own choice: native Wayland, so no X11 window appears.
QT_QPA_PLATFORM=wayland "$app_dir/tavik" > "$work/native.log" 2>&1 &
tavik_pid=$!
sleep 1.5
kill -0 "$tavik_pid" 2>/dev/null || fail "the game did not run natively: $(cat "$work/native.log")"
if xdotool search --class tavik >/dev/null 2>&1; then fail "QT_QPA_PLATFORM=wayland was overridden"; fi
kill "$tavik_pid"; wait "$tavik_pid" 2>/dev/null || true

# No X server behind DISPLAY (XWayland gone): the game still starts, on Wayland.
DISPLAY=:99999 "$app_dir/tavik" > "$work/fallback.log" 2>&1 &
tavik_pid=$!
sleep 1.5
kill -0 "$tavik_pid" 2>/dev/null || fail "no start without XWayland: $(cat "$work/fallback.log")"
echo "1 passed, 0 failed"
