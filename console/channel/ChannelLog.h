#pragma once

#include <QLoggingCategory>

// What a controller's connection went through: connect, close, reset, send
// failures and the bytes each way.
// Off unless switched on, e.g. QT_LOGGING_RULES="brenlow.channel.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcChannel)
