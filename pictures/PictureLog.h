// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Why a picture was not used: each refusal is logged at info level under "tavik.pictures"
// (QT_LOGGING_RULES="tavik.pictures.info=true" shows them).

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPictures)
