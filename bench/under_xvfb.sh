#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on an X server of its own (Xvfb), as a player's desktop would show it.
#   under_xvfb.sh <command> [arguments...]
set -euo pipefail
work=$(mktemp -d)
xvfb_pid=
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT
source "$(dirname "$0")/../tests/xsession.sh"
start_xvfb
"$@"
