// Qt's own texts in the programs whose operator texts are Italian.
#include "SystemTexts.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestSystemTexts : public QObject
{
    Q_OBJECT

private slots:
    void messageBoxButtonsInItalian();
};

void TestSystemTexts::messageBoxButtonsInItalian()
{
    {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorvel Install"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
    }

    // Whatever language the PC runs in, the Italian catalogue is the one taken.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QVERIFY2(installItalianSystemTexts(qApp), "Qt's Italian catalogue (qttranslations5-l10n) is missing");

    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorvel Install"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Close);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&S\u00ec"));
    QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&No"));
    QCOMPARE(box.button(QMessageBox::Close)->text(), QStringLiteral("Chiudi"));
}

QTEST_MAIN(TestSystemTexts)
#include "tst_system_texts.moc"
