#include "shell/Platform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTime>

#include <climits>
#include <unistd.h>

#include "shell/FileSystem.h"
#include "shell/PathText.h"

namespace tavik {

int SystemTimeOfDay::secondsSinceMidnight() const
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000;
}

float MersenneRandom::next()
{
    // 24 random bits give a float in [0, 1) that can never round up to 1.
    return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
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
