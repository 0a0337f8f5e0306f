#include "ChannelLog.h"

Q_LOGGING_CATEGORY(lcChannel, "brenlow.channel", QtWarningMsg)
