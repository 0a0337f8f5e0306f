// The installer speaks the PC's language: its own catalogue, English where
// there is none, and Qt's buttons to match.
#include "InstallerFolder.h"
#include "InstallerTexts.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestInstallerTexts : public QObject
{
    Q_OBJECT

private slots:
    void textsFollowThePcLanguage_data();
    void textsFollowThePcLanguage();
};

void TestInstallerTexts::textsFollowThePcLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("missingFiles");
    QTest::addColumn<QString>("yes");
    // In this order: the catalogue installed last answers first.
    QTest::newRow("German PC: English") << "de_DE" << "Exit" << "Warning: the installation process is running!"
                                        << "QuorvelIns.ini cannot be found in the folder /x." << "&Yes";
    QTest::newRow("Italian PC") << "it_IT" << "Esci" << QString::fromUtf8("Attenzione: il processo installazione è attivo !")
                                << "QuorvelIns.ini non si trova nella cartella /x." << QString::fromUtf8("&Sì");
}

void TestInstallerTexts::textsFollowThePcLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QString, exit);
    QFETCH(QString, question);
    QFETCH(QString, missingFiles);
    QFETCH(QString, yes);
    QLocale::setDefault(QLocale(locale));
    installInstallerTexts(qApp);

    QCOMPARE(QCoreApplication::translate("QuorvelIns", "Exit"), exit);
    const QString asked = QCoreApplication::translate(
        "QuorvelIns", "Attenzione: il processo installazione è attivo !\n"
                      "Uscendo l'intallazione potrebbe terminare in modo non corretto!\n"
                      "Vuoi abbandonare comunque l'installazione ?");
    QCOMPARE(asked.split(QLatin1Char('\n')).value(0), question);
    QVERIFY2(InstallerFolder::missingFilesMessage(QStringLiteral("/x"), QStringLiteral("/x")).startsWith(missingFiles),
             qPrintable(InstallerFolder::missingFilesMessage(QStringLiteral("/x"), QStringLiteral("/x"))));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorvel Install"), asked, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), yes);
}

QTEST_MAIN(TestInstallerTexts)
#include "tst_installer_texts.moc"
