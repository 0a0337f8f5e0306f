#pragma once

#include "UserMessages.h"

#include <QList>
#include <QString>

// Records every message box instead of showing it, and installs itself as
// the console's message sink for its lifetime.
class RecordingMessages : public UserMessages
{
public:
    struct Entry
    {
        QString caption;
        QString text;
        MessageIcon icon;
    };

    RecordingMessages();
    ~RecordingMessages() override;

    void Show(const QString &caption, const QString &text, MessageIcon icon) override;

    QList<Entry> entries;
    QStringList texts() const;
    int count(const QString &text) const { return texts().count(text); }
};
