#include "WatchLog.h"

Q_LOGGING_CATEGORY(lcSetupWatch, "quorvel.installer.watch", QtWarningMsg)
