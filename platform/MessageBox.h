// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The modal message box of the program, as the windows ask for it. Texts break lines with
// the single character 13. The real box is QtMessageBox (ui/); tests use a scripted one
// that records every call.

#include <QString>

#include "platform/Version.h"

namespace tavik {

enum class MsgIcon { None, Critical, Question, Information };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

inline const QString kTitel = QStringLiteral("Tavik V" TAVIK_VERSION);

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Shows the message and returns the button chosen. With YesNo, Yes is the default button.
    virtual MsgAnswer show(const QString& text, const QString& title, MsgIcon icon,
                           MsgButtons buttons) = 0;
};


} // namespace tavik
