#!/usr/bin/env bash
# A robot player on the real executable under Xvfb, with real X input (xdotool): it types a
# name with an umlaut, chooses 4 x 4, starts, and plays the whole game by clicking cards and
# recognising each turned picture from the pixels of the display boxes (eight pictures of
# distinct solid colours). It checks that mismatches clear after about 1.5 s, that found
# pairs vanish, that the list shown over the board pauses the clock, and that the new entry
# stands at its place in HSTavik with the expected bytes.
#   e2e_robot.sh <program-folder> <output-folder>
set -euo pipefail
app_dir=$1
out=$2
work=$(mktemp -d)
tavik_pid=
xvfb_pid=
trap 'kill $tavik_pid $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A program folder of its own: the executable, eight solid colours, a known list.
mkdir "$work/app"
cp "$app_dir/tavik" "$work/app/"
colours=(e6194b 3cb44b ffe119 4363d8 f58231 911eb4 46f0f0 f032e6)
for i in "${!colours[@]}"; do
    convert -size 60x60 "xc:#${colours[$i]}" "BMP3:$work/app/farbe$i.bmp"
done
printf 'A\r\n 5000 \r\nB\r\n 4000 \r\nC\r\n 3000 \r\nD\r\n 2000 \r\nE\r\n 1000 \r\nF\r\n 900 \r\nG\r\n 800 \r\nH\r\n 700 \r\nI\r\n 600 \r\nJ\r\n 500 \r\n' > "$work/app/HSTavik"

source "$(dirname "$0")/xsession.sh"
start_xvfb

pixel() { # colour at screen position x y as rrggbb
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | tail -n1 | grep -o '#[0-9A-Fa-f]\{6\}' | tr -d '#' | tr 'A-F' 'a-f'
}
wait_pixel() { # x y predicate-command: waits until the colour there satisfies it, prints it
    local c
    for _ in $(seq 120); do
        c=$(pixel "$1" "$2")
        if "$3" "$c"; then echo "$c"; return 0; fi
        sleep 0.025
    done
    return 1
}
is_picture() { for c in "${colours[@]}"; do [ "$1" = "$c" ] && return 0; done; return 1; }
not_picture() { ! is_picture "$1"; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

(cd "$work/app" && exec ./tavik) &
tavik_pid=$!
options=$(wait_window --onlyvisible --name '^Tavik V1.1$') || fail "no settings screen"
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$options")"
import -window root "$out/robot-options.png"

# Name, size, start.
xdotool mousemove $((X + 76)) $((Y + 121)) click 1 key ctrl+a
xdotool type --delay 30 "Jürgen"
xdotool mousemove $((X + 66)) $((Y + 39)) click 1      # "4 x 4"
xdotool mousemove $((X + 548)) $((Y + 172)) click 1    # start
sleep 0.3
game=$(wait_window --onlyvisible --name '^Tavik V1.1$') || fail "no game screen"
eval "$(xdotool getwindowgeometry --shell "$game")"
GX=$X; GY=$Y
card_x() { echo $((GX + 236 + 40 * ($1 % 4))); }
card_y() { echo $((GY + 124 + 40 * ($1 / 4))); }
box_x=$((GX + 100)); box0_y=$((GY + 172)); box1_y=$((GY + 356))
card_blue() { [ "$(pixel "$(card_x "$1")" "$(card_y "$1")")" != "$(pixel $((GX + 500)) $((GY + 500)))" ]; }

# The deal: the card under "MISCHEN" turns into a card back.
back=$(pixel $((GX + 230)) $((GY + 110)))
for _ in $(seq 100); do
    [ "$(pixel $((GX + 230)) $((GY + 110)))" != "$back" ] && break
    sleep 0.05
done
deal_ms=$(now_ms)

declare -a colour_of # card -> colour seen on it
matched=()
attempts=0
pause_ms=0

turn() { # card box_y: clicks the card, prints the colour shown in the box
    xdotool mousemove "$(card_x "$1")" "$(card_y "$1")" click 1
    wait_pixel "$box_x" "$2" is_picture || fail "card $1 showed no picture"
}
is_matched() { for m in "${matched[@]}"; do [ "$m" = "$1" ] && return 0; done; return 1; }

while [ ${#matched[@]} -lt 16 ]; do
    # A known pair first; otherwise the first card not yet seen.
    first=
    for i in $(seq 0 15); do
        is_matched "$i" && continue
        col=${colour_of[$i]:-}
        if [ -n "$col" ]; then
            for j in $(seq $((i + 1)) 15); do
                if ! is_matched "$j" && [ "${colour_of[$j]:-}" = "$col" ]; then first=$i; break 2; fi
            done
        fi
    done
    if [ -z "$first" ]; then
        for i in $(seq 0 15); do is_matched "$i" || [ -n "${colour_of[$i]:-}" ] || { first=$i; break; }; done
    fi
    c1=$(turn "$first" "$box0_y"); colour_of[$first]=$c1
    second=
    for j in $(seq 0 15); do
        [ "$j" = "$first" ] && continue
        is_matched "$j" && continue
        [ "${colour_of[$j]:-}" = "$c1" ] && { second=$j; break; }
    done
    if [ -z "$second" ]; then
        for j in $(seq 0 15); do
            [ "$j" = "$first" ] && continue
            is_matched "$j" || [ -n "${colour_of[$j]:-}" ] || { second=$j; break; }
        done
    fi
    clicked=$(now_ms)
    c2=$(turn "$second" "$box1_y"); colour_of[$second]=$c2
    attempts=$((attempts + 1))
    [ $attempts -eq 2 ] && import -window root "$out/robot-game.png"
    if [ "$c1" = "$c2" ]; then
        matched+=("$first" "$second")
        card_blue "$first" && fail "found pair $first/$second did not vanish"
    fi
    if [ ${#matched[@]} -eq 16 ]; then
        last_ms=$clicked
        break
    fi
    wait_pixel "$box_x" "$box0_y" not_picture >/dev/null || fail "the boxes did not clear"
    cleared=$(( $(now_ms) - clicked ))
    if [ "$c1" != "$c2" ] && { [ $cleared -lt 1200 ] || [ $cleared -gt 3000 ]; }; then
        fail "a mismatch cleared after $cleared ms, not about 1500"
    fi
    if [ $attempts -eq 2 ]; then
        # The list over the board: the clock stands still while it is shown.
        xdotool mousemove $((GX + 36)) $((GY + 484)) click 1
        shown=$(now_ms)
        sleep 0.4
        import -window root "$out/robot-highscores.png"
        card_blue 0 && fail "the list does not cover the board"
        sleep 5.6
        xdotool mousemove $((GX + 36)) $((GY + 484)) click 1
        pause_ms=$(( $(now_ms) - shown ))
    fi
done

# The result message: a box of its own; Enter closes it.
box=$(wait_message_box "$game") || fail "no result message"
sleep 0.3
import -window root "$out/robot-result.png"
press_enter_in "$box"

# The list file: the new entry at place 5 (between 2000 and 1000), in Windows-1252.
seconds=$(( (last_ms - deal_ms - pause_ms) / 1000 + 1 ))
expected=$((1600 - 3 * attempts - seconds))
name_line=$(sed -n 9p "$work/app/HSTavik" | od -An -tx1 | tr -d ' \n')
[ "$name_line" = "4afc7267656e0d0a" ] || fail "name bytes $name_line, not J\xfcrgen CR LF"
score=$(sed -n 10p "$work/app/HSTavik" | tr -d '\r ')
echo "attempts $attempts, score $score, expected about $expected (pause ${pause_ms} ms not counted)"
[ $((score - expected)) -le 3 ] && [ $((expected - score)) -le 3 ] || fail "score $score, expected $expected +- 3"
[ "$(sed -n 10p "$work/app/HSTavik")" = " $score "$'\r' ] || fail "score line not ' $score '"
[ "$(sed -n 11p "$work/app/HSTavik")" = $'E\r' ] || fail "old fifth entry not sixth"
[ "$(wc -l < "$work/app/HSTavik")" -eq 22 ] || fail "not eleven entries"
kill "$tavik_pid"
echo "1 passed, 0 failed"
