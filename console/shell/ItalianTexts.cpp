#include "ItalianTexts.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallItalianTexts(QCoreApplication *application)
{
    auto *translator = new QTranslator(application);
    // "qt_it" gathers the catalogues of every Qt module the console uses.
    if (!translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qt"),
                          QStringLiteral("_"), QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QFileDialog *CreateChannelListDialog(QWidget *parent, const QString &startFolder)
{
    auto *dialog = new QFileDialog(parent, QString(), startFolder);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    return dialog;
}
