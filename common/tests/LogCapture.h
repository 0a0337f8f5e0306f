#pragma once

#include <QStringList>

// Switches some logging categories on, as QT_LOGGING_RULES does in the
// field, and collects their lines as "category: text" while it lives;
// other lines go on as before.
class LogCapture
{
    Q_DISABLE_COPY(LogCapture)

public:
    explicit LogCapture(const QStringList &categories, bool enabled = true);
    ~LogCapture();

    QStringList lines() const;
    // The number of lines holding every one of the parts.
    int count(const QStringList &parts) const;
};
