#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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

source "$(dirname "$0")/xsession.sh"
cp -r "$app_dir"/. "$work/"
start_xvfb

start=$(date +%s%N)
(cd "$work" && exec ./tavik) &
tavik_pid=$!

wait_window --onlyvisible --class tavik >/dev/null
sleep 0.3
import -window root "$out/smoke-splash.png"

options=$(wait_window --onlyvisible --name '^Tavik V1.1$')
shown_after_ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "settings screen after ${shown_after_ms} ms"
if [ "$shown_after_ms" -lt 1500 ] || [ "$shown_after_ms" -gt 20000 ]; then # loose above: a loaded machine
    echo "FAIL: the settings screen should open about 2 s after the start" >&2
    exit 1
fi
sleep 0.3
import -window root "$out/smoke-options.png"

# The exit button lies at the bottom left of the settings screen.
eval "$(xdotool getwindowgeometry --shell "$options")"
xdotool mousemove $((X + 20)) $((Y + 172)) click 1
box=$(wait_message_box "$options") || { echo "FAIL: no quit question" >&2; exit 1; }
press_enter_in "$box"

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
