// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Scripted stand-ins for the outside world: message box, time of day, chance, program folder.

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <future>

#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "ui/GameScreen.h"
#include "ui/Services.h"

namespace tavik::test {

struct ShownMessage {
    QString text;
    QString title;
    MsgIcon icon;
    MsgButtons buttons;
};

// Records every message and answers from a script; with the script empty, OK boxes get Ok
// and questions get No.
class ScriptedMessageBox final : public MessageBox {
public:
    MsgAnswer show(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) override
    {
        shown.append({text, title, icon, buttons});
        if (onShow)
            onShow();
        if (!answers.empty()) {
            const MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
    }
    QList<ShownMessage> shown;
    std::deque<MsgAnswer> answers;
    std::function<void()> onShow; // runs while the box is "open"
};

class ScriptedClock final : public TimeOfDay {
public:
    int secondsSinceMidnight() const override { return seconds; }
    void advance(int s) { seconds = (seconds + s) % (24 * 3600); }
    int seconds = 10 * 3600;
};

// Returns the scripted draws in turn, again from the start when they run out.
class ScriptedRandom final : public RandomSource {
public:
    void seed(std::uint32_t value) override { seeds.append(value); }
    float next() override
    {
        if (draws.isEmpty())
            return 0.0f;
        const float r = draws[position % draws.size()];
        ++position;
        return r;
    }
    QList<float> draws;
    QList<std::uint32_t> seeds;
    qsizetype position = 0;
};

class FixedFolder final : public ProgramFolder {
public:
    explicit FixedFolder(QString p = {}) : folder(std::move(p)) {}
    QString path() const override { return folder; }
    QString folder;
};

// All four, ready to hand to a window.
struct ScriptedWorld {
    ScriptedMessageBox box;
    ScriptedClock clock;
    ScriptedRandom random;
    FixedFolder folder;
    Services services() { return {box, clock, random, folder}; }
};

// Stands in for the game screen the settings screen makes at the game start:
// records what it was given and whether it was shown.
struct RecordingGame final : GameScreen {
    int spielfeldgroesse = 0;
    QString name;
    QStringList pictures;
    bool shown = false;
    void appendPicture(const QString& path) override { pictures << path; }
    void showScreen() override { shown = true; }
};

// Runs `f` on a thread of its own and waits for it: a test's own disk work, which the
// program's disk calls refuse to do on the GUI thread.
template <class F>
auto onWorker(F f)
{
    return std::async(std::launch::async, std::move(f)).get();
}

} // namespace tavik::test
