#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time and resident memory of the real program under Xvfb, each against the
# smallest Qt Widgets program (one label), measured in the same run; medians of RUNS runs.
#   startup.sh <program-folder> <minimal_label-executable>
set -euo pipefail
app_dir=$1
minimal=$2
runs=${RUNS:-5}
work=$(mktemp -d)
pid=
trap 'kill $pid $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT

xvfb_pid=
source "$(dirname "$0")/../tests/xsession.sh"
start_xvfb

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

for run in $(seq "$runs"); do
    rm -rf "$work/app" && cp -r "$app_dir" "$work/app"

    start=$(now_ms)
    "$minimal" & pid=$!
    wait_window --onlyvisible --name '^minimal_label$' >/dev/null
    echo $(( $(now_ms) - start )) >> "$work/min_show"
    sleep 0.5
    rss_kb $pid >> "$work/min_rss"
    kill $pid; wait $pid 2>/dev/null || true

    start=$(now_ms)
    (cd "$work/app" && exec ./tavik) & pid=$!
    wait_window --onlyvisible --class '^tavik$' >/dev/null
    echo $(( $(now_ms) - start )) >> "$work/splash"
    options=$(wait_window --onlyvisible --name '^Tavik V1.1$')
    sleep 0.5
    rss_kb $pid >> "$work/settings_rss"

    # A 10 x 10 game with the 50 standard pictures: start it, turn a few cards.
    eval "$(xdotool getwindowgeometry --shell "$options")"
    xdotool mousemove $((X + 548)) $((Y + 172)) click 1
    sleep 0.3
    game=$(wait_window --onlyvisible --name '^Tavik V1.1$')
    sleep 1.5
    eval "$(xdotool getwindowgeometry --shell "$game")"
    for card in 0 11 22 33 44 55; do
        xdotool mousemove $((X + 236 + 40 * (card % 10))) $((Y + 124 + 40 * (card / 10))) click 1
        [ $((card % 2)) -eq 1 ] && sleep 1.6
    done
    sleep 0.5
    rss_kb $pid >> "$work/game_rss"
    kill $pid; wait $pid 2>/dev/null || true
    pid=
done

min_show=$(median < "$work/min_show")
splash=$(median < "$work/splash")
min_rss=$(median < "$work/min_rss")
settings_rss=$(median < "$work/settings_rss")
game_rss=$(median < "$work/game_rss")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

echo "| Measure | Tavik | Baseline (one label) | Ratio | Budget |"
echo "|---|---|---|---|---|"
echo "| start to splash on screen | ${splash} ms | ${min_show} ms | $(ratio "$splash" "$min_show") | 1.3 |"
echo "| resident memory, settings screen | $((settings_rss / 1024)) MiB | $((min_rss / 1024)) MiB | $(ratio "$settings_rss" "$min_rss") | 1.5 |"
echo "| resident memory, 10 x 10 game of 50 pictures | $((game_rss / 1024)) MiB | $((min_rss / 1024)) MiB | $(ratio "$game_rss" "$min_rss") | 2.5 |"
