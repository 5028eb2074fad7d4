// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Waiting for the picture workers the way the event loop would: every job ends and its
// answer reaches the window.

#include <QCoreApplication>

#include "platform/DiskWork.h"

namespace tavik::test {

// False when a job is still running after `ms` (a read that hangs).
inline bool settlePictures(int ms = 10000)
{
    // Answers can start further jobs (the decode-ahead refills itself), so a few rounds.
    for (int round = 0; round < 60; ++round) {
        if (!disk::pool()->waitForDone(ms))
            return false;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    return true;
}

} // namespace tavik::test
