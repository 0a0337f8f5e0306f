#pragma once

#include <QLoggingCategory>

// Every key message the keypads send, to which controller, and why a key
// was not sent.
// Off unless switched on, e.g. QT_LOGGING_RULES="brenlow.keys.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcKeys)
