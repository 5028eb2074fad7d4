// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The quit question of both exit buttons, and the steps that wait for its answer: work that
// comes back from a worker while the question is open must not open a message over it, so
// its next step runs once the player has answered No.

#include <functional>
#include <utility>

#include "platform/MessageBox.h"

namespace tavik {

class QuitQuestion {
public:
    explicit QuitQuestion(MessageBox& box)
        : box_(box)
    {
    }

    // True when the player answers Yes; the step held meanwhile is then dropped. On No it runs.
    bool ask()
    {
        open_ = true;
        const bool yes = box_.show(QStringLiteral("Wollen Sie wirklich beenden ?"), kTitel, MsgIcon::Question,
                                   MsgButtons::YesNo)
                         == MsgAnswer::Yes;
        open_ = false;
        std::function<void()> held = std::exchange(held_, nullptr);
        if (!yes && held)
            held();
        return yes;
    }

    // Runs `step` now, or after the answer No while the question is open; never once stopped.
    void run(std::function<void()> step)
    {
        if (stopped_)
            return;
        if (open_)
            held_ = std::move(step);
        else
            step();
    }

    // The screen has stopped: no step runs any more.
    void stop()
    {
        stopped_ = true;
        held_ = nullptr;
    }

private:
    MessageBox& box_;
    bool open_ = false;
    bool stopped_ = false;
    std::function<void()> held_;
};

} // namespace tavik
