#include "ModalMessageBox.h"

QMessageBox::StandardButton execMessageBox(const MessageBoxRequest &request)
{
    QMessageBox box(request.icon, request.title, request.text, request.buttons, request.parent);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    box.exec();
    return box.standardButton(box.clickedButton());
}
