// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every call that touches the file system says so with TAVIK_DISK_CALL(). In the debug and
// sanitizer builds it stops the program when that happens on the GUI thread, so a change
// that reads the disk from a window fails the tests instead of freezing a player's window.

namespace tavik {

// Aborts with `call` named when it runs on the thread of a QGuiApplication.
void failOnGuiThread(const char* call);

} // namespace tavik

#ifdef TAVIK_THREAD_GUARD
#define TAVIK_DISK_CALL() ::tavik::failOnGuiThread(static_cast<const char*>(__func__))
#else
#define TAVIK_DISK_CALL() static_cast<void>(0)
#endif
