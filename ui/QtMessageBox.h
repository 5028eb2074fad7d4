// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real message box: a modal QMessageBox with German buttons, the character 13 shown as
// a new line.

#include "platform/MessageBox.h"

namespace tavik {

class QtMessageBox final : public MessageBox {
public:
    MsgAnswer show(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) override;
};

} // namespace tavik
