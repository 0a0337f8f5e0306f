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
    void textsFollowThePcLanguage_data();
    void textsFollowThePcLanguage();
};

void TestInstallerTexts::textsFollowThePcLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("yes");
    // In this order: the catalogue installed last answers first.
    QTest::newRow("German PC") << "de_DE" << "Exit" << "Warning: the installation process is running!" << "&Yes";
    QTest::newRow("Italian PC") << "it_IT" << "Esci" << QString::fromUtf8("Attenzione: il processo installazione è attivo !")
                                << QString::fromUtf8("&Sì");
}

void TestInstallerTexts::textsFollowThePcLanguage()
{
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    installInstallerTexts(qApp);

    QTEST(QCoreApplication::translate("QuorvelIns", "Exit"), "exit");
    const QString asked = QCoreApplication::translate(
        "QuorvelIns", "Attenzione: il processo installazione è attivo !\n"
                      "Uscendo l'intallazione potrebbe terminare in modo non corretto!\n"
                      "Vuoi abbandonare comunque l'installazione ?");
    QTEST(asked.section(QLatin1Char('\n'), 0, 0), "question");
    QMessageBox box(QMessageBox::Warning, QString(), asked, QMessageBox::Yes | QMessageBox::No);
    QTEST(box.button(QMessageBox::Yes)->text(), "yes");
}

QTEST_MAIN(TestInstallerTexts)
#include "tst_installer_texts.moc"
