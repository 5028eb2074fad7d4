# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for driving the real program under Xvfb; sourced by the end-to-end tests and the
# start-up benchmark. Needs $work (a private temporary folder).

# Starts an X server on a free display and points DISPLAY at it; sets xvfb_pid.
# -noreset keeps the server up between one client's end and the next one's start.
start_xvfb() {
    exec 3<> "$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
    export DISPLAY=":$(head -n1 "$work/display")"
    export XDG_RUNTIME_DIR="$work"
    unset QT_QPA_PLATFORM
}

# Waits up to 10 s until `xdotool search` with the given arguments finds a window; prints its id.
wait_window() {
    local id
    for _ in $(seq 1000); do
        id=$(xdotool search "$@" 2>/dev/null | head -n1) && [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.01
    done
    echo "no window for: $*" >&2
    return 1
}

# Waits up to 20 s for a visible window titled "Tavik V1.1" other than $1 (a message box, or
# the next screen); prints its id.
wait_message_box() {
    local id
    for _ in $(seq 1000); do
        for id in $(xdotool search --onlyvisible --name '^Tavik V1.1$' 2>/dev/null); do
            [ "$id" != "$1" ] && { echo "$id"; return 0; }
        done
        sleep 0.02
    done
    return 1
}

# Presses Enter in window $1 (the pointer over it gives it the keyboard without a window manager).
press_enter_in() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + 10))
    sleep 0.2
    xdotool key Return
}
