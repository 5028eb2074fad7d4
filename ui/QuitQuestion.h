#pragma once
// The quit question of both exit buttons.

#include "platform/MessageBox.h"

namespace tavik {

// True when the player answers Yes.
inline bool frageBeenden(MessageBox& box)
{
    return box.show(QStringLiteral("Wollen Sie wirklich beenden ?"), kTitel, MsgIcon::Question, MsgButtons::YesNo)
           == MsgAnswer::Yes;
}

} // namespace tavik
