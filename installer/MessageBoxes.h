#pragma once

#include <QMessageBox>
#include <QString>

// The installer's questions to the user, behind an interface so that tests
// can answer them.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Asks a Yes/No question in a modal warning box and returns the button chosen.
    virtual QMessageBox::StandardButton askWarning(const QString &title, const QString &text) = 0;
    // Tells of a failure in a modal error box with an OK button.
    virtual void showError(const QString &title, const QString &text) = 0;
};

// Real modal boxes, without a parent window.
class QtMessageBoxes final : public MessageBoxes
{
public:
    QMessageBox::StandardButton askWarning(const QString &title, const QString &text) override;
    void showError(const QString &title, const QString &text) override;
};
