#pragma once
// The few things of the outside world that the rules and windows ask for, behind small
// interfaces so that tests can script them: the time of day, chance and the program folder.
// The modal message box lives in MessageBox.h, since it needs the widget library.

#include <QString>
#include <cstdint>
#include <random>

namespace tavik {

// The local time of day in whole seconds since midnight (0 .. 86399).
class TimeOfDay {
public:
    virtual ~TimeOfDay() = default;
    virtual int secondsSinceMidnight() const = 0;
};

// A uniform random source 0 <= r < 1 that can be seeded.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(std::uint32_t value) = 0;
    virtual float next() = 0;
};

// The folder that holds the program, without a trailing separator (except "/" itself).
class ProgramFolder {
public:
    virtual ~ProgramFolder() = default;
    virtual QString path() const = 0;
};

class SystemTimeOfDay final : public TimeOfDay {
public:
    int secondsSinceMidnight() const override;
};

class MersenneRandom final : public RandomSource {
public:
    void seed(std::uint32_t value) override { engine_.seed(value); }
    float next() override;

private:
    std::mt19937 engine_;
};

// The folder of the running executable, found once when the program starts: asked later,
// a program folder on a share that stopped answering could hold up the window.
class ExecutableFolder final : public ProgramFolder {
public:
    ExecutableFolder();
    QString path() const override { return path_; }

private:
    QString path_;
};

} // namespace tavik
