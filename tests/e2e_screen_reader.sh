#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A blind player's start with the Orca screen reader: the real game on a private desktop, keys
# only, over pictures named after fruit. After each key it waits for what Orca must say (its
# log): the settings screen's controls by German names, a card's place when the arrows reach
# it, the turned card's fruit, and the outcome, a pair exactly when both fruit are the same.
#   e2e_screen_reader.sh <program-folder>      exit 77: skipped, Orca is not installed
set -u
source "$(dirname "$0")/orca_session.sh"
orca_installed || { echo "SKIP: orca is not installed (tools/install-deps.sh installs it)"; exit 77; }
trap orca_stop EXIT
trap 'exit 130' INT TERM HUP PIPE
orca_start || { ORCA_KEEP=1; echo "FAIL: the desktop with Orca did not come up; see $ORCA_DIR"; exit 1; }

app=$ORCA_DIR/app # the game, its list, and eight of its pictures under fruit names
mkdir "$app"
cp "$1/tavik" "$1/HSTavik" "$app/"
fruit=(Kirsche Apfel Birne Pflaume Banane Rote_Johannisbeere Blut-Orange Zitrone)
for i in "${!fruit[@]}"; do cp "$1/Bild0$((i + 1)).jpg" "$app/${fruit[$i]}.jpg"; done
names='Kirsche|Apfel|Birne|Pflaume|Banane|Rote Johannisbeere|Blut Orange|Zitrone'

passed=0
fail() { ORCA_KEEP=1; echo "FAIL: $* (logs in $ORCA_DIR)"; echo "$passed passed, 1 failed"; exit 1; }
expect() { # KEY REGEX: presses KEY ("-": none) and waits for Orca to say REGEX; sets $heard
    orca_mark
    [ "$1" = - ] || xdotool key "$1"
    orca_wait "$2" 60 || fail "$1: wanted /$2/, Orca said: $(orca_said | paste -sd'|')"
    heard=$(orca_said | grep -E -m1 -- "$2")
    printf 'PASS %-6s %s\n' "$1" "$heard"
    passed=$((passed + 1))
}
turn() { # Space on the focused card, again while the board is not ready
    expect space "^notification (Aufgedeckt|Bitte warten)"
    while [[ $heard == *"Bitte warten"* ]]; do expect space "^notification (Aufgedeckt|Bitte warten)"; done
}

(cd "$app" && exec env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb ./tavik >"$ORCA_DIR/tavik.log" 2>&1) &
ORCA_PIDS+=($!)
ORCA_MARK=0
expect - '^Einstellungen übernehmen und Spiel beginnen push button'
expect Tab '^Spielfeldgrösse'
for size in '8 x 8' '6 x 6' '4 x 4'; do expect Up "^$size"; done
for name in 'Laufwerk: combo box' Ordner Bilder 'Spielername: text' 'Tavik beenden push button' \
    'Einstellungen übernehmen und Spiel beginnen push button'; do expect Tab "^$name"; done
expect space '^Karte 1, Reihe 1, Spalte 1 push button'
expect Right '^Karte 2, Reihe 1, Spalte 2 push button'
expect Down '^Karte 6, Reihe 2, Spalte 2 push button'
turn
[[ $heard =~ ^notification\ Aufgedeckt:\ ($names)\.?$ ]] || fail "no fruit in: $heard"
first=${BASH_REMATCH[1]}
expect Left '^Karte 5, Reihe 2, Spalte 1 push button'
turn
[[ $heard =~ ^notification\ Aufgedeckt:\ ($names)\.\ (Kein\ Paar|Paar\ gefunden,\ 1\ von\ 8) ]] ||
    fail "no fruit and outcome in: $heard"
[ "${BASH_REMATCH[1]}" = "$first" ] && outcome="Paar gefunden" || outcome="Kein Paar"
[ "${BASH_REMATCH[2]%,*}" = "$outcome" ] || fail "$first, then ${BASH_REMATCH[1]}: not '$outcome' in: $heard"
echo "$passed passed, 0 failed"
