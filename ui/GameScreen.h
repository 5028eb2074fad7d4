#pragma once
#include <QString>

namespace tavik {

// What the settings screen needs of the game screen it creates at the game start.
class GameScreen {
public:
    virtual ~GameScreen() = default;
    virtual void appendPicture(const QString& path) = 0;
    virtual void showScreen() = 0;
};

} // namespace tavik
