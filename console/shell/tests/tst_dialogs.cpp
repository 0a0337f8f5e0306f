// The channel list lines and the address dialog: what the operator gives
// must become exactly the controller address the console connects to.
#include "AboutDlg.h"
#include "ChannelListFile.h"
#include "DialogUnits.h"
#include "IPAddressDlg.h"
#include "IPv4AddressEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void channelListLines_data();
    void channelListLines();
    void addressDialogAcceptsOnlyFourFilledFields();
    void addressFieldsTakeOnlyZeroTo255AndMoveOn();
    void templatesKeepTheirDialogUnitGeometry();
};

void TestDialogs::channelListLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("unix line ends")
        << QByteArray("10.0.0.1\n10.0.0.2\n") << QStringList{"10.0.0.1", "10.0.0.2"};
    QTest::newRow("windows line ends")
        << QByteArray("10.0.0.1\r\n10.0.0.2\r\n") << QStringList{"10.0.0.1", "10.0.0.2"};
    QTest::newRow("last line without line end")
        << QByteArray("10.0.0.1\r\nmacchina3") << QStringList{"10.0.0.1", "macchina3"};
    QTest::newRow("empty lines are kept")
        << QByteArray("\n10.0.0.1\n\n") << QStringList{"", "10.0.0.1", ""};
    QTest::newRow("no trimming, only the CR LF goes")
        << QByteArray(" 10.0.0.1 \r\n\r\r\n") << QStringList{" 10.0.0.1 ", "\r"};
    QTest::newRow("a CR that ends no line stays")
        << QByteArray("10.0.0.1\r") << QStringList{"10.0.0.1\r"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestDialogs::channelListLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitChannelListLines(content), lines);
}

void TestDialogs::addressDialogAcceptsOnlyFourFilledFields()
{
    CIPAddressDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Indirizzo IP"));
    auto *edit = dialog.findChild<IPv4AddressEdit *>(QStringLiteral("IDC_IPADDRESS"));
    QVERIFY(edit);
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("IDOK"));
    QVERIFY(ok && ok->isDefault());

    dialog.show();
    edit->SetAddress(QStringLiteral("192.168.1"));
    ok->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    edit->SetAddress(QStringLiteral("192.168.001.010"));
    ok->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Address(), QStringLiteral("192.168.1.10"));
}

void TestDialogs::addressFieldsTakeOnlyZeroTo255AndMoveOn()
{
    IPv4AddressEdit edit;
    edit.show();
    QApplication::setActiveWindow(&edit);
    QVERIFY(QTest::qWaitForWindowActive(&edit));
    edit.Field(0)->setFocus();
    QTest::keyClicks(edit.Field(0), QStringLiteral("300"));
    QVERIFY(edit.Field(0)->text() != QStringLiteral("300"));

    edit.SetAddress(QString());
    edit.Field(0)->setFocus();
    // Three digits, or a dot, move to the next field.
    // Typed as an operator does: each key goes to the field with the focus.
    for (const QChar c : QStringLiteral("1270.0.7"))
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QCOMPARE(edit.Address(), QStringLiteral("127.0.0.7"));
    QVERIFY(edit.IsComplete());

    edit.Field(3)->clear();
    QVERIFY(!edit.IsComplete());
    QVERIFY(edit.Address().isEmpty());
}

void TestDialogs::templatesKeepTheirDialogUnitGeometry()
{
    CIPAddressDlg address;
    QCOMPARE(address.size(), QSize(DluX(186), DluY(52)));
    QCOMPARE(address.findChild<QWidget *>(QStringLiteral("IDC_IPADDRESS"))->geometry(), DluRect(50, 7, 100, 15));
    QCOMPARE(address.findChild<QWidget *>(QStringLiteral("IDOK"))->geometry(), DluRect(45, 31, 50, 14));
    QCOMPARE(address.findChild<QWidget *>(QStringLiteral("IDCANCEL"))->geometry(), DluRect(111, 31, 50, 14));

    CAboutDlg about;
    QCOMPARE(about.windowTitle(), QStringLiteral("Informazioni su Brenlow"));
    QCOMPARE(about.size(), QSize(DluX(235), DluY(55)));
    QCOMPARE(about.findChild<QWidget *>(QStringLiteral("IDOK"))->geometry(), DluRect(178, 7, 50, 14));
    QCOMPARE(about.findChild<QWidget *>(QStringLiteral("IDC_VERSION"))->geometry().topLeft(), DluRect(40, 10, 0, 0).topLeft());
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("IDC_VERSION"))->text(), QStringLiteral("Brenlow Versione 002.002"));
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
