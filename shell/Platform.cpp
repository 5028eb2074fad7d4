#include "shell/Platform.h"

#include <QCoreApplication>
#include <QTime>

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

QString ExecutableFolder::path() const
{
    return QCoreApplication::applicationDirPath();
}

} // namespace tavik
