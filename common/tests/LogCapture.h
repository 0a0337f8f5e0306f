#pragma once

#include <QStringList>

// Switches logging categories on, as QT_LOGGING_RULES does in the field, and
// collects their lines as "category: text" while it lives.
class LogCapture
{
    Q_DISABLE_COPY(LogCapture)

public:
    explicit LogCapture(const QStringList &categories, bool enabled = true);
    ~LogCapture();
    // The lines holding every one of the parts.
    QStringList lines(const QStringList &parts = {}) const;
};
