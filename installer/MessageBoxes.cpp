#include "MessageBoxes.h"

#include "ModalMessageBox.h"

QMessageBox::StandardButton QtMessageBoxes::askWarning(const QString &title, const QString &text)
{
    // Enter must not abandon a running setup by accident: No is the default.
    return execMessageBox({QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::No, nullptr});
}

void QtMessageBoxes::showError(const QString &title, const QString &text)
{
    execMessageBox({QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok, nullptr});
}
