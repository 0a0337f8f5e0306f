#pragma once

#include <QLoggingCategory>

// The installer's watch over the setup program: its start, each scan of
// the process table and what it found, the question on leaving.
// Off unless switched on, e.g. QT_LOGGING_RULES="quorvel.installer.watch.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcSetupWatch)
