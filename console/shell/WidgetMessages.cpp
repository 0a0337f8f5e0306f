#include "WidgetMessages.h"

#include "ModalMessageBox.h"

#include <QApplication>

void WidgetMessages::Show(const QString &caption, const QString &text, MessageIcon icon)
{
    MessageBoxRequest box;
    switch (icon) {
    case MessageIcon::Error:
        box.icon = QMessageBox::Critical;
        break;
    case MessageIcon::Exclamation:
        box.icon = QMessageBox::Warning;
        break;
    case MessageIcon::Information:
        box.icon = QMessageBox::Information;
        break;
    case MessageIcon::Question:
        box.icon = QMessageBox::Question;
        break;
    }
    box.title = caption;
    box.text = text;
    box.parent = QApplication::activeWindow();
    execMessageBox(box);
}
