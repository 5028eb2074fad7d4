// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTime>

#include <chrono>
#include <climits>
#include <unistd.h>

#include "platform/FileSystem.h"
#include "platform/PathText.h"

namespace tavik {

std::int64_t monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int SystemTimeOfDay::secondsSinceMidnight() const
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000;
}

ExecutableFolder::ExecutableFolder()
{
    // The kernel's own link to the executable: it follows the link of a command in bin/ to the
    // program folder, and reading it touches no disk.
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink("/proc/self/exe", target.data(), size_t(target.size()));
    if (n > 0) {
        target.truncate(n);
        path_ = normalFolder(QFileInfo(decodePath(target)).path());
    } else {
        path_ = QCoreApplication::applicationDirPath();
    }
}

} // namespace tavik
