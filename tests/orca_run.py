#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Starts Orca for a test: orca_run.py LOGFILE PREFSDIR

Does what `orca --debug-file LOGFILE -u PREFSDIR` does, but writes the log line by line
(Orca's own log is block-buffered and cannot be watched), skips /usr/bin/orca's refusal to
start beside any other Orca of the same user, and ends on SIGTERM even while idle (Orca's
Python handler runs only when Python code runs). Debian's python3: Orca's modules live there.
"""
import signal
import sys

from orca import debug

debug.debugLevel = debug.LEVEL_ALL
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], "w", buffering=1, encoding="utf-8")

from orca import orca  # noqa: E402  (after the log is set up)
from gi.repository import GLib  # noqa: E402


def _on_term():
    orca.shutdownOnSignal(signal.SIGTERM, None)
    return GLib.SOURCE_REMOVE


def _install_term_handler():  # after orca.main() has set its own handlers
    GLib.unix_signal_add(GLib.PRIORITY_HIGH, signal.SIGTERM, _on_term)
    return GLib.SOURCE_REMOVE


GLib.idle_add(_install_term_handler)
manager = orca.getSettingsManager()
manager.activate(sys.argv[2], {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
