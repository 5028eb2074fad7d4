// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StuckBook.h"

Q_LOGGING_CATEGORY(lcDisk, "tavik.disk", QtWarningMsg)

namespace tavik {

StuckBook& stuckBook()
{
    static StuckBook* const book = new StuckBook; // used by workers until the process ends
    return *book;
}

} // namespace tavik
