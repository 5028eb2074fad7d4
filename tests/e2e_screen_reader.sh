#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A blind player's start with the Orca screen reader: the real game on a private desktop with
# Orca, driven by keys alone, over a folder of pictures named after fruit. After each key it
# waits for what Orca must say (read from Orca's log): the settings screen's controls by their
# German names, a card's place when the arrows reach it, the picture of a turned card, and
# the attempt's outcome, a pair exactly when both names are the same.
#   e2e_screen_reader.sh <program-folder>
# Exit 77 (skipped) where Orca is not installed.
set -u
source "$(dirname "$0")/orca_session.sh"
orca_installed || { echo "SKIP: orca is not installed (tools/install-deps.sh installs it)"; exit 77; }
trap orca_stop EXIT
trap 'exit 130' INT TERM HUP PIPE
orca_start || { ORCA_KEEP=1; echo "FAIL: the desktop with Orca did not come up; see $ORCA_DIR"; exit 1; }

# The program folder: the game, its list, and eight of its pictures under fruit names.
app=$ORCA_DIR/app
mkdir "$app"
cp "$1/tavik" "$1/HSTavik" "$app/"
fruit=(Kirsche Apfel Birne Pflaume Banane Rote_Johannisbeere Blut-Orange Zitrone)
for i in "${!fruit[@]}"; do cp "$1/Bild0$((i + 1)).jpg" "$app/${fruit[$i]}.jpg"; done
names='Kirsche|Apfel|Birne|Pflaume|Banane|Rote Johannisbeere|Blut Orange|Zitrone'

passed=0
fail() { ORCA_KEEP=1; echo "FAIL: $* (logs in $ORCA_DIR)"; echo "$passed passed, 1 failed"; exit 1; }
# expect KEY REGEX: presses KEY ("-" for none) and waits for Orca to say REGEX.
expect() {
    orca_mark
    [ "$1" = - ] || xdotool key "$1"
    if orca_wait "$2" 60; then
        heard=$(orca_said | grep -E -m1 -- "$2")
        printf 'PASS %-6s %s\n' "$1" "$heard"
        passed=$((passed + 1))
    else
        fail "$1: wanted /$2/, Orca said: $(orca_said | paste -sd'|')"
    fi
}
# turn: Space on the focused card, again while the board is not ready; sets $heard.
turn() {
    expect space "^notification (Aufgedeckt|Bitte warten)"
    while [[ $heard == *"Bitte warten"* ]]; do expect space "^notification (Aufgedeckt|Bitte warten)"; done
}

(cd "$app" && exec env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb ./tavik >"$ORCA_DIR/tavik.log" 2>&1) &
ORCA_PIDS+=($!)
ORCA_MARK=0
expect - '^Einstellungen übernehmen und Spiel beginnen push button'
expect Tab '^Spielfeldgrösse'
expect Up '^8 x 8'
expect Up '^6 x 6'
expect Up '^4 x 4'
expect Tab '^Laufwerk: combo box'
expect Tab '^Ordner'
expect Tab '^Bilder'
expect Tab '^Spielername: text'
expect Tab '^Tavik beenden push button'
expect Tab '^Einstellungen übernehmen und Spiel beginnen push button'
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
