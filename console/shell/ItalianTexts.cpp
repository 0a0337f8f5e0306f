#include "ItalianTexts.h"

#include <QFileDialog>

QFileDialog *CreateChannelListDialog(QWidget *parent, const QString &startFolder)
{
    auto *dialog = new QFileDialog(parent, QString(), startFolder);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    return dialog;
}
