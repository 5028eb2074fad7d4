// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PictureLog.h"

Q_LOGGING_CATEGORY(lcPictures, "tavik.pictures", QtWarningMsg)
