#include "WebLog.h"

Q_LOGGING_CATEGORY(lcWeb, "brenlow.web", QtWarningMsg)
