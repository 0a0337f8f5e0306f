#include "MessageBoxes.h"

QMessageBox::StandardButton QtMessageBoxes::askWarning(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No);
    // Enter must not abandon a running setup by accident.
    box.setDefaultButton(QMessageBox::No);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
