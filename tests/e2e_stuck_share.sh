#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real executable with pictures and the high-score list on a share whose reads never
# answer (a FUSE file system): the settings screen opens; clicking the stuck picture in the
# file list does not freeze the window; a folder whose first five pictures are links into the
# share still deals its twenty good pictures once the stuck ones are past their deadline;
# the trophy, with the list a link into the share, keeps the window live and names the list
# after the deadline; and the program ends when asked, with its reads still hanging.
#   e2e_stuck_share.sh <program-folder> <stuckfs> <output-folder>
set -euo pipefail
app_dir=$1
stuckfs=$2
out=$3
work=$(mktemp -d)
tavik_pid=
xvfb_pid=
fs_pids=()
cleanup() {
    kill $tavik_pid $xvfb_pid 2>/dev/null || true
    for pid in "${fs_pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    for share in share listshare; do
        fusermount3 -u -z "$work/$share" 2>/dev/null || umount -l "$work/$share" 2>/dev/null || true
    done
    rm -rf "$work" 2>/dev/null || true
}
trap cleanup EXIT

[ -e /dev/fuse ] || { echo "SKIP: /dev/fuse is missing, no FUSE file system can be mounted here"; exit 77; }
# Two shares, each a device of its own: one for pictures, one for the high-score list.
for share in share listshare; do
    mkdir "$work/$share"
    "$stuckfs" "$work/$share" 2>"$work/$share.log" &
    fs_pids+=($!)
    for _ in $(seq 100); do
        [ -e "$work/$share/stuck.jpg" ] && break
        kill -0 "${fs_pids[-1]}" 2>/dev/null || break
        sleep 0.05
    done
    if [ ! -e "$work/$share/stuck.jpg" ]; then
        echo "SKIP: mounting the FUSE file system failed: $(head -c 300 "$work/$share.log")"
        exit 77
    fi
done

source "$(dirname "$0")/xsession.sh"
mkdir "$work/app"
cp -r "$app_dir"/. "$work/app/"
# The stuck picture comes first in the program folder's list; the list lives on the share.
ln -s "$work/share/stuck.jpg" "$work/app/0-stuck.jpg"
ln -sf "$work/listshare/HSTavik" "$work/app/HSTavik"
# A folder of pictures: five links into the share first, then twenty good ones.
mkdir "$work/app/bilder"
for i in 0 1 2 3 4; do ln -s "$work/share/stuck$i.jpg" "$work/app/bilder/0-stuck$i.jpg"; done
for i in $(seq -w 1 20); do cp "$app_dir/Bild$i.jpg" "$work/app/bilder/gut$i.jpg"; done
start_xvfb

# The leak check at exit stops every thread with ptrace, which a read hanging in the kernel
# never allows: in the sanitizer build it would hang the exit this test checks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
(cd "$work/app" && exec ./tavik) &
tavik_pid=$!
options=$(wait_window --onlyvisible --name '^Tavik V1.1$') || { echo "FAIL: no settings screen" >&2; exit 1; }
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$options")"

# The first entry of the file list: the stuck picture. Its read hangs from now on.
xdotool mousemove $((X + 360)) $((Y + 32)) click 1
stuck=
for _ in $(seq 100); do
    grep -qs request_wait_answer /proc/$tavik_pid/task/*/wchan && { stuck=yes; break; }
    sleep 0.02
done
[ -n "$stuck" ] || { echo "FAIL: no read of the stuck picture hangs: the click did not reach it" >&2; exit 1; }
# Answers "No" to the quit question in window $1 over the screen $2.
answer_no() {
    eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/B/')"
    xdotool mousemove $((BX + BWIDTH / 2)) $((BY + 10))
    sleep 0.2
    xdotool key Escape
    for _ in $(seq 100); do xdotool search --onlyvisible --name '^Tavik V1.1$' | grep -qv "^$2$" || break; sleep 0.02; done
}

# The window still answers at once, while the read hangs and after its deadline.
for moment in during after; do
    [ "$moment" = after ] && sleep 2.2
    t0=$(date +%s%N)
    xdotool mousemove $((X + 20)) $((Y + 172)) click 1
    box=$(wait_message_box "$options") || { echo "FAIL: the window froze ($moment the deadline)" >&2; import -window root "$out/stuck-share-frozen.png"; for t in /proc/$tavik_pid/task/*; do echo "$(cat $t/comm) $(cat $t/wchan)"; done >&2; exit 1; }
    echo "quit question $moment the deadline after $(( ($(date +%s%N) - t0) / 1000000 )) ms"
    [ "$moment" = after ] && import -window root "$out/stuck-share.png"
    answer_no "$box" "$options"
done

# The start action over the folder "bilder" (the last subfolder in the folder list), 4 x 4:
# its links stick on the share, not on the folder of the links, so eight of its good
# pictures are dealt and no shortfall message comes.
xdotool mousemove $((X + 236)) $((Y + 120)) click 1
xdotool key End Return
sleep 0.5
xdotool mousemove $((X + 66)) $((Y + 39)) click 1
t0=$(date +%s%N)
xdotool mousemove $((X + 548)) $((Y + 172)) click 1
game=
for _ in $(seq 400); do
    game=$(xdotool search --onlyvisible --name '^Tavik V1.1$' 2>/dev/null | grep -v "^$options$" | head -n1) && [ -n "$game" ] && break
    sleep 0.02
done
[ -n "$game" ] || { echo "FAIL: no game screen after the start button" >&2; exit 1; }
echo "game screen $(( ($(date +%s%N) - t0) / 1000000 )) ms after the start button"
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$game" | sed 's/^/G/')"
if [ "$GWIDTH" -lt 600 ]; then
    import -window root "$out/stuck-share-shortfall.png"
    echo "FAIL: a message instead of the game screen: the good pictures beside the links were not taken" >&2
    exit 1
fi

# The trophy, the list a link into the share: the quit question opens at once meanwhile (a
# narrow box, answered No), and after the deadline a message naming the list (a wide box)
# comes instead of empty rows. Under load the two may come in either order.
t0=$(date +%s%N)
xdotool mousemove $((GX + 36)) $((GY + 484)) click 1
xdotool mousemove $((GX + 132)) $((GY + 484)) click 1
listed=
for _ in 1 2; do
    box=$(wait_message_box "$game") || break
    eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/M/')"
    ms=$(( ($(date +%s%N) - t0) / 1000000 ))
    if [ "$MWIDTH" -lt 400 ]; then
        echo "quit question $ms ms after the trophy"
        answer_no "$box" "$game"
    else
        echo "message about the list $ms ms after the trophy"
        [ "$ms" -ge 1500 ] || { echo "FAIL: the list was refused before its deadline" >&2; exit 1; }
        import -window root "$out/stuck-share-list.png"
        press_enter_in "$box"
        listed=yes
        break
    fi
done
[ -n "$listed" ] || { echo "FAIL: no message about the list that does not answer" >&2; exit 1; }
for _ in $(seq 100); do xdotool search --onlyvisible --name '^Tavik V1.1$' | grep -qv "^$game$" || break; sleep 0.02; done
xdotool mousemove $((GX + 132)) $((GY + 484)) click 1   # the game screen's exit button
box=$(wait_message_box "$game") || { echo "FAIL: no quit question on the game screen" >&2; exit 1; }
press_enter_in "$box"

for _ in $(seq 100); do
    kill -0 "$tavik_pid" 2>/dev/null || break
    sleep 0.05
done
if kill -0 "$tavik_pid" 2>/dev/null; then
    echo "FAIL: the program did not end with a read still hanging" >&2
    for t in /proc/$tavik_pid/task/*; do echo "$(cat $t/comm) $(cat $t/wchan) $(grep State $t/status)"; done >&2
    exit 1
fi
set +e
wait "$tavik_pid"
code=$?
set -e
tavik_pid=
[ "$code" -eq 0 ] || { echo "FAIL: exit code $code" >&2; exit 1; }
echo "1 passed, 0 failed"
