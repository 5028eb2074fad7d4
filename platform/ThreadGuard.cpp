// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ThreadGuard.h"

#include <QCoreApplication>
#include <QThread>

namespace tavik {

void failOnGuiThread(const char* call)
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (app && app->inherits("QGuiApplication") && QThread::currentThread() == app->thread())
        qFatal("%s touches the disk on the GUI thread: run it through runOnDisk", call);
}

} // namespace tavik
