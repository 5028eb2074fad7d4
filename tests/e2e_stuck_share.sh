#!/usr/bin/env bash
# The real executable with a picture on a share whose reads never answer (a FUSE file
# system): the settings screen opens, clicking the stuck picture in the file list does not
# freeze the window, the start button opens the game screen once the stuck picture's
# deadline has passed, and the program ends when asked, with its reads still hanging.
#   e2e_stuck_share.sh <program-folder> <stuckfs> <output-folder>
set -euo pipefail
app_dir=$1
stuckfs=$2
out=$3
work=$(mktemp -d)
tavik_pid=
xvfb_pid=
fs_pid=
cleanup() {
    kill $tavik_pid $xvfb_pid 2>/dev/null || true
    if [ -n "$fs_pid" ]; then
        kill -9 "$fs_pid" 2>/dev/null || true
        fusermount3 -u -z "$work/share" 2>/dev/null || umount -l "$work/share" 2>/dev/null || true
    fi
    rm -rf "$work" 2>/dev/null || true
}
trap cleanup EXIT

[ -e /dev/fuse ] || { echo "SKIP: /dev/fuse is missing, no FUSE file system can be mounted here"; exit 77; }
mkdir "$work/share"
"$stuckfs" "$work/share" 2>"$work/stuckfs.log" &
fs_pid=$!
for _ in $(seq 100); do
    [ -e "$work/share/stuck.jpg" ] && break
    kill -0 "$fs_pid" 2>/dev/null || break
    sleep 0.05
done
if [ ! -e "$work/share/stuck.jpg" ]; then
    echo "SKIP: mounting the FUSE file system failed: $(head -c 300 "$work/stuckfs.log")"
    exit 77
fi

source "$(dirname "$0")/xsession.sh"
mkdir "$work/app"
cp -r "$app_dir"/. "$work/app/"
# The stuck picture comes first in the program folder's list.
ln -s "$work/share/stuck.jpg" "$work/app/0-stuck.jpg"
start_xvfb

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
# Answers "No" to the quit question in window $1.
answer_no() {
    eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/B/')"
    xdotool mousemove $((BX + BWIDTH / 2)) $((BY + 10))
    sleep 0.2
    xdotool key Escape
    for _ in $(seq 100); do xdotool search --onlyvisible --name '^Tavik V1.1$' | grep -qv "^$options$" || break; sleep 0.02; done
}

# The window still answers at once, while the read hangs and after its deadline.
for moment in during after; do
    [ "$moment" = after ] && sleep 2.2
    t0=$(date +%s%N)
    xdotool mousemove $((X + 20)) $((Y + 172)) click 1
    box=$(wait_message_box "$options") || { echo "FAIL: the window froze ($moment the deadline)" >&2; import -window root "$out/stuck-share-frozen.png"; for t in /proc/$tavik_pid/task/*; do echo "$(cat $t/comm) $(cat $t/wchan)"; done >&2; exit 1; }
    echo "quit question $moment the deadline after $(( ($(date +%s%N) - t0) / 1000000 )) ms"
    [ "$moment" = after ] && import -window root "$out/stuck-share.png"
    answer_no "$box"
done

# The start action: the stuck picture heads the list; past its deadline it is not taken
# and the game screen opens.
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
