#include "KeysLog.h"

Q_LOGGING_CATEGORY(lcKeys, "brenlow.keys", QtWarningMsg)
