#include "SystemTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool installItalianSystemTexts(QCoreApplication *application)
{
    auto *translator = new QTranslator(application);
    // "qt_it" gathers the catalogues of every Qt module the programs use.
    if (!translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QLocale::Language installProgramTexts(QCoreApplication *application, const QString &program,
                                      const QLocale &locale)
{
    const QString folder = QStringLiteral(":/translations");
    auto *translator = new QTranslator(application);
    if (!translator->load(locale, program, QStringLiteral("_"), folder)
        && !translator->load(program + QStringLiteral("_en"), folder)) {
        delete translator;
        return QLocale::AnyLanguage;
    }
    QCoreApplication::installTranslator(translator);
    return QLocale(translator->language()).language();
}
