# SPDX-License-Identifier: GPL-3.0-or-later
# A private desktop with the Orca screen reader for one test, sourced by the test: Xvfb, a
# window manager, a session bus, the accessibility bus and registry, and Orca writing what it
# says into a log. Private HOME and XDG folders, no speech server (the speech is only logged).
#   orca_start            sets DISPLAY, DBUS_SESSION_BUS_ADDRESS, ORCA_LOG, ORCA_DIR
#   orca_mark; xdotool key Right; orca_wait 'Karte 2' || ...   waits for speech after the mark
#   orca_stop             ends exactly what was started (call it from an EXIT trap)
# Needs xvfb, x11-utils, xdotool, matchbox-window-manager, dbus, at-spi2-core, orca; runs as
# root or as an ordinary user.

ORCA_PIDS=()
_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

orca_installed() {
    command -v orca >/dev/null && /usr/bin/python3 -c 'import pyatspi, orca.orca_platform' 2>/dev/null
}

# Runs the command every 50 ms until it succeeds or $1 seconds have passed.
_poll() {
    local end=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -ge $end ] && return 1; sleep 0.05; done
}
_owned() { # bus-option name: the name has an owner (never call the service: D-Bus would start a second one)
    dbus-send "$1" --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$2" 2>/dev/null | grep -q true
}
_bg() { "$@" >>"$ORCA_DIR/session.log" 2>&1 & ORCA_PIDS+=($!); }

orca_start() {
    ORCA_DIR=$(mktemp -d "${TMPDIR:-/tmp}/orca-test.XXXXXX")
    export ORCA_DIR # every process of the session inherits it: orca_stop finds stragglers by it
    mkdir -p "$ORCA_DIR"/{home,run,config,data,cache,prefs}
    chmod 700 "$ORCA_DIR" "$ORCA_DIR/run"
    export HOME=$ORCA_DIR/home XDG_RUNTIME_DIR=$ORCA_DIR/run XDG_CONFIG_HOME=$ORCA_DIR/config
    export XDG_DATA_HOME=$ORCA_DIR/data XDG_CACHE_HOME=$ORCA_DIR/cache GSETTINGS_BACKEND=memory
    export LANG=C.UTF-8 LC_ALL=C.UTF-8 LANGUAGE= # Orca's own words in English, stable
    unset AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY SESSION_MANAGER QT_QPA_PLATFORM
    # No speech server may start: nothing talks through a developer's speakers.
    export SPEECHD_CMD=/bin/false SPEECHD_ADDRESS=unix_socket:$ORCA_DIR/run/none
    mkfifo "$ORCA_DIR/display"
    # -noreset: a client connecting while the last one leaves is not turned away.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$ORCA_DIR/display" \
        >>"$ORCA_DIR/session.log" 2>&1 &
    ORCA_PIDS+=($!)
    local n; read -r -t 30 n <"$ORCA_DIR/display" || return 1
    export DISPLAY=:$n
    _poll 20 xprop -root >/dev/null 2>&1 || return 1
    # The window manager gives the focus back to the game when a message box closes.
    _bg matchbox-window-manager -use_titlebar no -use_cursor no
    _poll 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' || return 1
    exec 4< <(exec dbus-daemon --session --nofork --print-address=1 --print-pid=1)
    local pid
    read -r -t 20 DBUS_SESSION_BUS_ADDRESS <&4 && read -r -t 20 pid <&4 || return 1
    exec 4<&-
    export DBUS_SESSION_BUS_ADDRESS
    ORCA_PIDS+=("$pid")
    _bg /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1
    _poll 20 _owned --session org.a11y.Bus || return 1
    local a11y
    a11y=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress | tr -d ' ')
    _bg /usr/libexec/at-spi2-registryd
    _poll 20 _owned --bus="$a11y" org.a11y.atspi.Registry || return 1
    ORCA_LOG=$ORCA_DIR/orca.log
    _bg "$_here/orca_run.py" "$ORCA_LOG" "$ORCA_DIR/prefs"
    _poll 60 grep -q 'ORCA: Starting registry' "$ORCA_LOG" 2>/dev/null
}

# What Orca said after the mark, one utterance a line.
orca_said() {
    tail -n +"$((ORCA_MARK + 1))" "$ORCA_LOG" |
        sed -n "s/^[0-9:.]* - SPEECH OUTPUT: '\(.*\)'\( voice=.*\)\?{.*}\$/\1/p"
}
orca_mark() { ORCA_MARK=$(wc -l <"$ORCA_LOG"); }
_said() { orca_said | grep -Eq -- "$1"; }
# Waits up to $2 (default 20) seconds for an utterance after the mark matching the regex $1.
orca_wait() { _poll "${2:-20}" _said "$1"; }

orca_stop() {
    [ -n "${ORCA_DIR:-}" ] || return 0
    local i pid
    # Newest first, one at a time: Orca leaves the registry before the registry goes.
    for ((i = ${#ORCA_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${ORCA_PIDS[i]}
        kill -TERM "$pid" 2>/dev/null || continue
        _poll 10 sh -c '! kill -0 "$0" 2>/dev/null' "$pid" || kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    ORCA_PIDS=()
    # Whatever a bus started on its own carries the session's folder in its environment.
    for pid in $(grep -lzxF "ORCA_DIR=$ORCA_DIR" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3); do
        [ "$pid" = $$ ] || [ "$pid" = "$BASHPID" ] || kill -KILL "$pid" 2>/dev/null
    done
    [ -n "${ORCA_KEEP:-}" ] || rm -rf "$ORCA_DIR"
}
