#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects the log lines of some categories, as "category: text", while it
// lives; other lines go on to the handler before. The categories are
// switched on with filter rules, as QT_LOGGING_RULES does in the field;
// until setEnabled(true) they stay as the program leaves them.
class LogCapture
{
    Q_DISABLE_COPY(LogCapture)

public:
    explicit LogCapture(const QStringList &categories);
    ~LogCapture();

    void setEnabled(bool enabled);
    QStringList lines() const;
    // The number of lines holding every one of the parts.
    int count(const QStringList &parts) const;
};
