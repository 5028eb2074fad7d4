#pragma once
// The outside world as the windows reach it. The real program passes the system's
// implementations; tests pass scripted ones.

#include "shell/MessageBox.h"
#include "shell/Platform.h"

namespace tavik {

struct Services {
    MessageBox& box;
    TimeOfDay& clock;
    RandomSource& random;
    ProgramFolder& folder;
};

// The quit question of both exit buttons. True when the player answers Yes.
inline bool frageBeenden(MessageBox& box)
{
    return box.show(QStringLiteral("Wollen Sie wirklich beenden ?"), kTitel, MsgIcon::Question,
                    MsgButtons::YesNo)
           == MsgAnswer::Yes;
}

} // namespace tavik
