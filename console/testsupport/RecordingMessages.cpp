#include "RecordingMessages.h"

RecordingMessages::RecordingMessages()
{
    SetMessages(this);
}

RecordingMessages::~RecordingMessages()
{
    SetMessages(nullptr);
}

void RecordingMessages::Show(const QString &caption, const QString &text, MessageIcon icon)
{
    entries.append({caption, text, icon});
}

QStringList RecordingMessages::texts() const
{
    QStringList result;
    for (const auto &e : entries)
        result << e.text;
    return result;
}
