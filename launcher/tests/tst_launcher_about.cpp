#include "UrlRecorder.h"
#include "dock/QDlgQuorvelAbout.h"
#include "startup/LauncherStartup.h"

#include <QCommandLinkButton>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void versionRows_data();
    void versionRows();
    void packedVersionText_data();
    void packedVersionText();
    void detailsToggle();
    void noKeyClosesTheBox();
    void makersSites();
};

void TestAbout::initTestCase()
{
    initLauncherResources();
}

void TestAbout::versionRows_data()
{
    QTest::addColumn<QString>("buildId");
    QTest::addColumn<QString>("productVersion");

    QTest::newRow("no build id") << QString() << QStringLiteral("3.1.5");
    QTest::newRow("build 1234") << QStringLiteral("1234") << QStringLiteral("3.1.5.1234");
    QTest::newRow("text build id") << QStringLiteral("r88a") << QStringLiteral("3.1.5.r88a");
}

void TestAbout::versionRows()
{
    QFETCH(QString, buildId);
    QFETCH(QString, productVersion);

    QDlgQuorvelAbout about(buildId, nullptr, Qt::WindowFlags());
    auto *product = about.findChild<QTableWidget *>(QStringLiteral("m_tblProduct"));
    auto *modules = about.findChild<QTableWidget *>(QStringLiteral("m_tblModules"));
    QVERIFY(product && modules);
    QCOMPARE(product->rowCount(), 1);
    QCOMPARE(modules->rowCount(), 1);

    const QStringList productTexts{QStringLiteral("PRODUCT"), productVersion, QStringLiteral("22/3/2021")};
    const QStringList moduleTexts{QStringLiteral("QUORVELENV"), QStringLiteral("3.1.5"), QStringLiteral("22/3/2021")};
    for (int column = 0; column < 3; ++column) {
        const QTableWidgetItem *productItem = product->item(0, column);
        QCOMPARE(productItem->text(), productTexts.at(column));
        QCOMPARE(productItem->flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        QVERIFY(productItem->font().bold());
        QCOMPARE(productItem->background().color(), QColor(Qt::yellow));
        const QTableWidgetItem *moduleItem = modules->item(0, column);
        QCOMPARE(moduleItem->text(), moduleTexts.at(column));
        QCOMPARE(moduleItem->flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        QVERIFY(!moduleItem->font().bold());
    }
    QCOMPARE(product->horizontalHeaderItem(0)->text(), QStringLiteral("Modulo"));
    QCOMPARE(product->horizontalHeaderItem(1)->text(), QStringLiteral("Versione"));
    QCOMPARE(product->horizontalHeaderItem(2)->text(), QStringLiteral("Data"));
    QCOMPARE(about.windowTitle(), QStringLiteral("About..."));
    QCOMPARE(about.size(), QSize(472, 480));

    // A title bar without help button; its close button is the one way the
    // operator closes the box, since no key does.
    const Qt::WindowFlags flags = about.windowFlags();
    QVERIFY(flags & Qt::CustomizeWindowHint);
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
}

void TestAbout::packedVersionText_data()
{
    QTest::addColumn<quint32>("packed");
    QTest::addColumn<QString>("text");

    QTest::newRow("launcher") << quint32(0x03010005) << QStringLiteral("3.1.5");
    QTest::newRow("large build") << quint32(0x0A00FFFF) << QStringLiteral("10.0.65535");
    QTest::newRow("top bits") << quint32(0xFF7F0100) << QStringLiteral("255.127.256");
}

void TestAbout::packedVersionText()
{
    QFETCH(quint32, packed);
    QFETCH(QString, text);
    QCOMPARE(QDlgQuorvelAbout::versionText(packed), text);
}

void TestAbout::detailsToggle()
{
    QDlgQuorvelAbout about(QString(), nullptr, Qt::WindowFlags());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    auto *toggle = about.findChild<QPushButton *>(QStringLiteral("m_pbViewModules"));
    auto *details = about.findChild<QLabel *>(QStringLiteral("labDetails"));
    auto *modules = about.findChild<QTableWidget *>(QStringLiteral("m_tblModules"));
    QVERIFY(toggle && details && modules);

    const QImage down = QIcon(QStringLiteral(":/Quorvel/Resources/ButPageDown.png")).pixmap(24, 18).toImage();
    const QImage up = QIcon(QStringLiteral(":/Quorvel/Resources/ButPageUp.png")).pixmap(24, 18).toImage();
    QVERIFY(!down.isNull() && !up.isNull() && down != up);

    for (int round = 0; round < 2; ++round) {
        QCOMPARE(details->text(), QStringLiteral("Più dettagli"));
        QVERIFY(!modules->isVisible());
        QCOMPARE(toggle->icon().pixmap(24, 18).toImage(), down);
        QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(details->text(), QStringLiteral("Meno dettagli"));
        QVERIFY(modules->isVisible());
        QCOMPARE(toggle->icon().pixmap(24, 18).toImage(), up);
        QTest::mouseClick(toggle, Qt::LeftButton);
    }
}

void TestAbout::noKeyClosesTheBox()
{
    QDlgQuorvelAbout about(QString(), nullptr, Qt::WindowFlags());
    QSignalSpy finished(&about, &QDialog::finished);
    about.open();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_F4})
        QTest::keyClick(&about, key);
    QTest::keyClick(&about, Qt::Key_F4, Qt::AltModifier);
    QTest::keyClick(&about, Qt::Key_Period, Qt::ControlModifier);
    QVERIFY(about.isVisible());
    QCOMPARE(finished.count(), 0);

    // The title bar's close button.
    QVERIFY(about.close());
    QCOMPARE(finished.count(), 1);
}

void TestAbout::makersSites()
{
    UrlRecorder browser(QStringLiteral("https"));
    QDlgQuorvelAbout about(QString(), nullptr, Qt::WindowFlags());
    auto *vrandel = about.findChild<QCommandLinkButton *>(QStringLiteral("m_cmdLinkVrandel"));
    auto *prevok = about.findChild<QCommandLinkButton *>(QStringLiteral("m_cmdLinkPrevok"));
    QVERIFY(vrandel && prevok);
    QCOMPARE(vrandel->toolTip(), QDlgQuorvelAbout::machineMakerSite().toString());
    QCOMPARE(prevok->toolTip(), QDlgQuorvelAbout::softwareMakerSite().toString());
    QVERIFY(QDlgQuorvelAbout::machineMakerSite() != QDlgQuorvelAbout::softwareMakerSite());
    QVERIFY(!vrandel->text().isEmpty());

    vrandel->click();
    prevok->click();
    QCOMPARE(browser.urls, QList<QUrl>({QDlgQuorvelAbout::machineMakerSite(), QDlgQuorvelAbout::softwareMakerSite()}));
    for (const QUrl &site : browser.urls)
        QVERIFY(site.host().endsWith(QStringLiteral("example.com")));
}

QTEST_MAIN(TestAbout)
#include "tst_launcher_about.moc"
