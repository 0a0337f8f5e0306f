// The installer speaks the PC's language, English where it has no
// catalogue, and Qt's buttons follow.
#include "InstallerTexts.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestInstallerTexts : public QObject
{
    Q_OBJECT

private slots:
    void textsFollowThePcLanguage()
    {
        // The catalogue installed last answers first.
        for (const QString &language : {QStringLiteral("de_DE"), QStringLiteral("it_IT")}) {
            const bool italian = language == QLatin1String("it_IT");
            QLocale::setDefault(QLocale(language));
            installInstallerTexts(qApp);
            QCOMPARE(installerText("Exit"), italian ? QStringLiteral("Esci") : QStringLiteral("Exit"));
            QCOMPARE(installerText("QuorvelIns.ini non indica il programma di installazione (SETUPNAME)."),
                     italian ? QStringLiteral("QuorvelIns.ini non indica il programma di installazione (SETUPNAME).")
                             : QStringLiteral("QuorvelIns.ini does not name the setup program (SETUPNAME)."));
            QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.button(QMessageBox::Yes)->text(), italian ? QStringLiteral("&S\u00ec") : QStringLiteral("&Yes"));
        }
    }

private:
    // The installer window's own context.
    static QString installerText(const char *text) { return QCoreApplication::translate("QuorvelIns", text); }
};

QTEST_MAIN(TestInstallerTexts)
#include "tst_installer_texts.moc"
