#!/usr/bin/env bash
# The real executable under a real X server: the splash, about 2 s later the settings
# screen (a screenshot of each into the build folder), then the quit question answered
# with Enter (Yes is the default), which must end the process with exit code 0.
#   e2e_smoke.sh <program-folder> <output-folder>
set -euo pipefail
app_dir=$1
out=$2
work=$(mktemp -d)
trap 'kill $tavik_pid $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT
tavik_pid=
xvfb_pid=

cp -r "$app_dir"/. "$work/"
exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$work"

# Waits until `xdotool search` with the given arguments finds a window; prints its id.
wait_for() {
    local deadline=$((SECONDS + 10))
    while [ $SECONDS -lt $deadline ]; do
        if id=$(xdotool search "$@" 2>/dev/null | head -n1) && [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.05
    done
    echo "no window for: $*" >&2
    return 1
}

start=$(date +%s%N)
(cd "$work" && exec ./tavik) &
tavik_pid=$!

wait_for --onlyvisible --class tavik >/dev/null
sleep 0.3
import -window root "$out/smoke-splash.png"

options=$(wait_for --onlyvisible --name '^Tavik V1.1$')
shown_after_ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "settings screen after ${shown_after_ms} ms"
if [ "$shown_after_ms" -lt 1500 ] || [ "$shown_after_ms" -gt 6000 ]; then
    echo "FAIL: the settings screen should open about 2 s after the start" >&2
    exit 1
fi
sleep 0.3
import -window root "$out/smoke-options.png"

# The exit button lies at the bottom left of the settings screen.
eval "$(xdotool getwindowgeometry --shell "$options")"
xdotool mousemove $((X + 20)) $((Y + 172)) click 1
box=
for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name '^Tavik V1.1$' 2>/dev/null); do
        [ "$id" != "$options" ] && box=$id
    done
    [ -n "$box" ] && break
    sleep 0.05
done
[ -n "$box" ] || { echo "FAIL: no quit question" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + 10))
sleep 0.2
xdotool key Return

for _ in $(seq 100); do
    kill -0 "$tavik_pid" 2>/dev/null || break
    sleep 0.05
done
if kill -0 "$tavik_pid" 2>/dev/null; then
    echo "FAIL: the program did not end after Yes" >&2
    exit 1
fi
set +e
wait "$tavik_pid"
code=$?
set -e
tavik_pid=
echo "exit code $code"
[ "$code" -eq 0 ] || { echo "FAIL: exit code $code" >&2; exit 1; }
echo "1 passed, 0 failed"
