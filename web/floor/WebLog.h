#pragma once

#include <QLoggingCategory>

// The floor daemon's links to the controllers: each change of a link's
// state and its reason.
// Off unless switched on, e.g. QT_LOGGING_RULES="brenlow.web.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcWeb)
