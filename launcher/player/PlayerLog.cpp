#include "PlayerLog.h"

Q_LOGGING_CATEGORY(lcPlayer, "quorvel.player", QtWarningMsg)
