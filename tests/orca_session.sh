# SPDX-License-Identifier: GPL-3.0-or-later
# A private desktop with the Orca screen reader for one test (sourced): Xvfb, a window manager,
# a session bus, the accessibility bus and registry, and Orca logging what it says; private
# HOME and XDG folders, no speech server. Works as root and as an ordinary user.
#   orca_start; orca_mark; xdotool key Right; orca_wait 'Karte 2'; orca_stop (from an EXIT trap)

ORCA_PIDS=()
_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

orca_installed() { command -v orca >/dev/null && /usr/bin/python3 -c 'import pyatspi, orca.orca_platform' 2>/dev/null; }

_poll() { # seconds command...: runs the command every 50 ms until it succeeds
    local end=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -ge $end ] && return 1; sleep 0.05; done
}
_owned() { # Asks whether the name has an owner: a call to the service itself would start a second one.
    dbus-send "$1" --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$2" 2>/dev/null | grep -q true
}
_bg() { "$@" >>"$ORCA_DIR/session.log" 2>&1 & ORCA_PIDS+=($!); }
_wm() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }

orca_start() {
    ORCA_DIR=$(mktemp -d "${TMPDIR:-/tmp}/orca-test.XXXXXX")
    export ORCA_DIR # inherited by every process of the session: orca_stop finds stragglers by it
    mkdir -p "$ORCA_DIR"/{home,run,config,data,cache,prefs}
    chmod 700 "$ORCA_DIR" "$ORCA_DIR/run"
    export HOME=$ORCA_DIR/home XDG_RUNTIME_DIR=$ORCA_DIR/run XDG_CONFIG_HOME=$ORCA_DIR/config
    export XDG_DATA_HOME=$ORCA_DIR/data XDG_CACHE_HOME=$ORCA_DIR/cache GSETTINGS_BACKEND=memory
    export LANG=C.UTF-8 LC_ALL=C.UTF-8 LANGUAGE= # Orca's own words in English
    unset AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY SESSION_MANAGER QT_QPA_PLATFORM
    export SPEECHD_CMD=/bin/false SPEECHD_ADDRESS=unix_socket:$ORCA_DIR/run/none # never talks aloud
    mkfifo "$ORCA_DIR/display"
    # -noreset: a client connecting while the last one leaves is not turned away.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$ORCA_DIR/display" >/dev/null 2>&1 &
    ORCA_PIDS+=($!)
    local n a11y pid
    read -r -t 30 n <"$ORCA_DIR/display" || return 1
    export DISPLAY=:$n
    _poll 20 xprop -root >/dev/null 2>&1 || return 1
    _bg matchbox-window-manager -use_titlebar no -use_cursor no # gives the focus back after a message box
    _poll 20 _wm || return 1
    exec 4< <(exec dbus-daemon --session --nofork --print-address=1 --print-pid=1 2>>"$ORCA_DIR/session.log")
    read -r -t 20 DBUS_SESSION_BUS_ADDRESS <&4 && read -r -t 20 pid <&4 || return 1
    exec 4<&-
    export DBUS_SESSION_BUS_ADDRESS
    ORCA_PIDS+=("$pid")
    _bg /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1
    _poll 20 _owned --session org.a11y.Bus || return 1
    a11y=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress | tr -d ' ')
    _bg /usr/libexec/at-spi2-registryd
    _poll 20 _owned --bus="$a11y" org.a11y.atspi.Registry || return 1
    ORCA_LOG=$ORCA_DIR/orca.log
    _bg "$_here/orca_run.py" "$ORCA_LOG" "$ORCA_DIR/prefs"
    _poll 60 grep -q 'ORCA: Starting registry' "$ORCA_LOG" 2>/dev/null
}

# What Orca said after the mark, one utterance a line.
orca_said() {
    tail -n +"$((ORCA_MARK + 1))" "$ORCA_LOG" | sed -n "s/^[0-9:.]* - SPEECH OUTPUT: '\(.*\)'\( voice=.*\)\?{.*}\$/\1/p"
}
orca_mark() { ORCA_MARK=$(wc -l <"$ORCA_LOG"); }
_said() { orca_said | grep -Eq -- "$1"; }
orca_wait() { _poll "${2:-20}" _said "$1"; } # regex [seconds]: said after the mark

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
    for pid in $(grep -lzxF "ORCA_DIR=$ORCA_DIR" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3); do
        [ "$pid" = $$ ] || [ "$pid" = "$BASHPID" ] || kill -KILL "$pid" 2>/dev/null # started by a bus
    done
    [ -n "${ORCA_KEEP:-}" ] || rm -rf "$ORCA_DIR"
}
