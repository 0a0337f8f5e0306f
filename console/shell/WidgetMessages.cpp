#include "WidgetMessages.h"

#include <QApplication>
#include <QMessageBox>

void WidgetMessages::Show(const QString &caption, const QString &text, MessageIcon icon)
{
    QMessageBox::Icon boxIcon = QMessageBox::Critical;
    switch (icon) {
    case MessageIcon::Error:
        boxIcon = QMessageBox::Critical;
        break;
    case MessageIcon::Exclamation:
        boxIcon = QMessageBox::Warning;
        break;
    case MessageIcon::Information:
        boxIcon = QMessageBox::Information;
        break;
    case MessageIcon::Question:
        boxIcon = QMessageBox::Question;
        break;
    }
    QMessageBox box(boxIcon, caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}
