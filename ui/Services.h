// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outside world as the windows reach it. The real program passes the system's
// implementations; tests pass scripted ones.

#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "rules/RandomSource.h"

namespace tavik {

struct Services {
    MessageBox& box;
    TimeOfDay& clock;
    RandomSource& random;
    ProgramFolder& folder;
};

} // namespace tavik
