#include "pictures/PictureLog.h"

Q_LOGGING_CATEGORY(lcPictures, "tavik.pictures", QtWarningMsg)
