// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture work a window hands to its workers, injected so that tests can pass a read
// that blocks. An empty function stands for the window's standard one.

#include <chrono>
#include <functional>

#include "pictures/PictureLoader.h"

namespace tavik {

struct PictureWork {
    PictureLoader::Decode decode;                      // a picture fitted for its box
    std::function<bool(const QString& path)> acceptable; // taken into a game
    std::chrono::milliseconds deadline = kDiskDeadline;
};

} // namespace tavik
