#pragma once

#include "MessageBoxes.h"

#include <QList>

// Records every question and gives the answer the test chose.
class RecordingMessageBoxes final : public MessageBoxes
{
public:
    struct Question
    {
        QString title;
        QString text;
    };

    explicit RecordingMessageBoxes(QMessageBox::StandardButton answer) : m_answer(answer) {}

    QMessageBox::StandardButton askWarning(const QString &title, const QString &text) override;
    void showError(const QString &title, const QString &text) override;
    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }

    QList<Question> asked;
    QList<Question> errors;

private:
    QMessageBox::StandardButton m_answer;
};
