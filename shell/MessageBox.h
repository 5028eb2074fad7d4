#pragma once
// The modal message box of the program. Texts break lines with the single character 13;
// the real box shows it as a new line. Tests use a scripted box that records every call.

#include <QString>

namespace tavik {

enum class MsgIcon { None, Critical, Question, Information };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

inline const QString kTitel = QStringLiteral("Tavik V1.1");

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Shows the message and returns the button chosen. With YesNo, Yes is the default button.
    virtual MsgAnswer show(const QString& text, const QString& title, MsgIcon icon,
                           MsgButtons buttons) = 0;
};

class QtMessageBox final : public MessageBox {
public:
    MsgAnswer show(const QString& text, const QString& title, MsgIcon icon,
                   MsgButtons buttons) override;
};

} // namespace tavik
