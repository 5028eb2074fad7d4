#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""orca_run.py LOGFILE PREFSDIR: `orca --debug-file LOGFILE -u PREFSDIR` for a test, with a log
written line by line (Orca's own is block-buffered), without /usr/bin/orca's refusal to start
beside another Orca of the user, and ending on SIGTERM even while idle."""
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


def _install_term_handler():  # after orca.main() has set its own Python handler
    GLib.unix_signal_add(GLib.PRIORITY_HIGH, signal.SIGTERM, _on_term)
    return GLib.SOURCE_REMOVE


GLib.idle_add(_install_term_handler)
manager = orca.getSettingsManager()
manager.activate(sys.argv[2], {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
