#include "RecordingMessageBoxes.h"

QMessageBox::StandardButton RecordingMessageBoxes::askWarning(const QString &title, const QString &text)
{
    asked.append(Question{title, text});
    return m_answer;
}

void RecordingMessageBoxes::showError(const QString &title, const QString &text)
{
    errors.append(Question{title, text});
}
