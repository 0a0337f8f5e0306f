#include "LauncherFixtures.h"
#include "UrlRecorder.h"
#include "dock/QDockQuorvelEnv.h"
#include "startup/LauncherStartup.h"

#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <signal.h>

class TestDock : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void machineButtonsInSettingsOrder();
    void machineStart_data();
    void machineStart();
    void missingBinFolderStillCloses();
    void noMachines();
    void helpMenu();
    void helpLanguage_data();
    void helpLanguage();
    void toolPrograms_data();
    void toolPrograms();
};

namespace {

QList<QToolButton *> machineButtons(QDockQuorvelEnv &dock)
{
    auto *layout = dock.findChild<QWidget *>(QStringLiteral("scrollAreaWidgetContents"))->layout();
    QList<QToolButton *> buttons;
    for (int i = 0; i < layout->count(); ++i) {
        if (auto *button = qobject_cast<QToolButton *>(layout->itemAt(i)->widget()))
            buttons << button;
    }
    return buttons;
}

bool processAlive(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

} // namespace

void TestDock::initTestCase()
{
    initLauncherResources();
}

void TestDock::machineButtonsInSettingsOrder()
{
    SettingsSandbox sandbox;
    // Written in an order unlike the store's listing.
    const QStringList written{QStringLiteral("Zeta"), QStringLiteral("alpha"), QStringLiteral("M10"),
                              QStringLiteral("Beta 2"), QStringLiteral("M9")};
    for (const QString &name : written) {
        const QString pathMac = sandbox.path(name);
        QDir().mkpath(pathMac);
        sandbox.addMachine(name, {{QStringLiteral("PathMac"), QVariant(pathMac)},
                                  {QStringLiteral("ProtocolEnv"), QVariant(QStringLiteral("1"))}});
    }
    // Only "M10" has a picture.
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(picture.save(sandbox.path(QStringLiteral("M10/Macchina.png"))));

    const auto store = sandbox.machineStore();
    store->beginGroup(QStringLiteral("Machines"));
    const QStringList listed = store->childGroups();

    QWidget player;
    QDockQuorvelEnv dock(&player);
    QCOMPARE(dock.machineNames(), listed);
    const QList<QToolButton *> buttons = machineButtons(dock);
    QCOMPARE(buttons.size(), listed.size());
    for (int i = 0; i < buttons.size(); ++i) {
        QToolButton *button = buttons.at(i);
        QCOMPARE(button->text(), listed.at(i));
        QCOMPARE(button->size(), QSize(128, 128));
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(button->icon().isNull(), listed.at(i) != QStringLiteral("M10"));
        QVERIFY(button->font().bold());
    }
    // The spacer closes the column, keeping the buttons at the top.
    auto *layout = dock.findChild<QWidget *>(QStringLiteral("scrollAreaWidgetContents"))->layout();
    QCOMPARE(layout->count(), listed.size() + 1);
    QVERIFY(layout->itemAt(listed.size())->spacerItem());
    QCOMPARE(dock.windowTitle(), QStringLiteral("   Selezione Macchina"));
    QCOMPARE(dock.features(), QDockWidget::NoDockWidgetFeatures);
}

void TestDock::machineStart_data()
{
    QTest::addColumn<QVariant>("protocolEnv");
    QTest::addColumn<bool>("starts");

    QTest::newRow("1") << QVariant(QStringLiteral("1")) << true;
    QTest::newRow("number 1") << QVariant(1) << true;
    QTest::newRow("0") << QVariant(QStringLiteral("0")) << false;
    QTest::newRow("2") << QVariant(QStringLiteral("2")) << false;
    QTest::newRow("empty") << QVariant(QString()) << false;
    QTest::newRow("not a number") << QVariant(QStringLiteral("uno")) << false;
    QTest::newRow("missing") << QVariant() << false;
}

void TestDock::machineStart()
{
    QFETCH(QVariant, protocolEnv);
    QFETCH(bool, starts);

    SettingsSandbox sandbox;
    const QString pathBin = sandbox.path(QStringLiteral("Quorvel/Quorvel"));
    sandbox.machineStore()->setValue(QStringLiteral("PathBin"), pathBin);
    sandbox.machineStore()->setValue(QStringLiteral("SvnId"), QStringLiteral("4711"));
    const QStringList names{QStringLiteral("Alfa"), QStringLiteral("Beta"), QStringLiteral("Gamma")};
    for (const QString &name : names) {
        const QString pathMac = sandbox.path(QStringLiteral("macchine/") + name);
        QDir().mkpath(pathMac + QStringLiteral("/bin"));
        writeRecorderProgram(pathMac + QStringLiteral("/avvio"), sandbox.path(name + QStringLiteral(".rec")));
        QVariantMap values{{QStringLiteral("PathBin"), QVariant(QString(pathMac + QStringLiteral("/avvio")))},
                           {QStringLiteral("PathMac"), QVariant(pathMac)},
                           {QStringLiteral("Config"), QVariant(QString(QStringLiteral("cfg ") + name))},
                           {QStringLiteral("SvnId"), QVariant(QString())},
                           {QStringLiteral("ProtocolEnv"), QVariant(QStringLiteral("1"))}};
        if (name == QStringLiteral("Beta")) {
            values[QStringLiteral("SvnId")] = QStringLiteral("r 2");
            if (protocolEnv.isValid())
                values[QStringLiteral("ProtocolEnv")] = protocolEnv;
            else
                values.remove(QStringLiteral("ProtocolEnv"));
        }
        sandbox.addMachine(name, values);
    }

    QWidget player;
    player.show();
    auto *dock = new QDockQuorvelEnv(&player);
    dock->show();
    QSignalSpy closing(dock, &QDockQuorvelEnv::signalClose);
    const QList<QToolButton *> buttons = machineButtons(*dock);
    QCOMPARE(buttons.size(), 3);
    QTest::mouseClick(buttons.at(1), Qt::LeftButton);

    const QString record = sandbox.path(QStringLiteral("Beta.rec"));
    if (starts) {
        QCOMPARE(closing.count(), 1);
        QVERIFY(!player.isVisible());
        QVERIFY(!dock->isVisible());
        RecordedStart start;
        QTRY_VERIFY_WITH_TIMEOUT(readRecordedStart(record, start), 5000);
        const QString pathMac = sandbox.path(QStringLiteral("macchine/Beta"));
        QCOMPARE(start.arguments,
                 QStringList({QStringLiteral("-a"), pathBin, QStringLiteral("-m"), pathMac, QStringLiteral("-n"),
                              QStringLiteral("cfg Beta"), QStringLiteral("-r"), QStringLiteral("r 2")}));
        QCOMPARE(start.workingDirectory, QDir(pathMac + QStringLiteral("/bin")).canonicalPath());
    } else {
        QCOMPARE(closing.count(), 0);
        QVERIFY(player.isVisible());
        QTest::qWait(300);
        QVERIFY(!QFile::exists(record));
    }
    QVERIFY(!QFile::exists(sandbox.path(QStringLiteral("Alfa.rec"))));
    QVERIFY(!QFile::exists(sandbox.path(QStringLiteral("Gamma.rec"))));
}

void TestDock::missingBinFolderStillCloses()
{
    SettingsSandbox sandbox;
    const QString pathMac = sandbox.path(QStringLiteral("Alfa"));
    QDir().mkpath(pathMac);
    writeRecorderProgram(pathMac + QStringLiteral("/avvio"), sandbox.path(QStringLiteral("Alfa.rec")));
    sandbox.addMachine(QStringLiteral("Alfa"),
                       {{QStringLiteral("PathBin"), QVariant(QString(pathMac + QStringLiteral("/avvio")))},
                        {QStringLiteral("PathMac"), QVariant(pathMac)},
                        {QStringLiteral("ProtocolEnv"), QVariant(QStringLiteral("1"))}});
    QWidget player;
    player.show();
    QDockQuorvelEnv dock(&player);
    QSignalSpy closing(&dock, &QDockQuorvelEnv::signalClose);
    machineButtons(dock).at(0)->click();
    QCOMPARE(closing.count(), 1);
    QVERIFY(!player.isVisible());
    QTest::qWait(300);
    QVERIFY(!QFile::exists(sandbox.path(QStringLiteral("Alfa.rec"))));
}

void TestDock::noMachines()
{
    SettingsSandbox sandbox;
    QWidget player;
    player.show();
    QDockQuorvelEnv dock(&player);
    QVERIFY(machineButtons(dock).isEmpty());
    auto *exit = dock.findChild<QPushButton *>(QStringLiteral("butExit"));
    QVERIFY(exit);
    exit->click();
    QVERIFY(!player.isVisible());
}

void TestDock::helpMenu()
{
    SettingsSandbox sandbox;
    QWidget player;
    QDockQuorvelEnv dock(&player);
    QMenu *menu = dock.createHelpMenu();
    const QList<QAction *> entries = menu->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0)->text(), QStringLiteral("Quorvel Help"));
    QCOMPARE(entries.at(0)->data().toInt(), 0);
    QCOMPARE(entries.at(1)->text(), QStringLiteral("About Quorvel Platform"));
    QCOMPARE(entries.at(1)->data().toInt(), 1);
    delete menu;
}

void TestDock::helpLanguage_data()
{
    QTest::addColumn<QVariant>("language");
    QTest::addColumn<QString>("folder");

    QTest::newRow("0 Italian") << QVariant(0) << QStringLiteral("it");
    QTest::newRow("2 Spanish") << QVariant(2) << QStringLiteral("es");
    QTest::newRow("4 English") << QVariant(4) << QStringLiteral("en");
    QTest::newRow("7 Chinese") << QVariant(7) << QStringLiteral("szh");
    QTest::newRow("text 7") << QVariant(QStringLiteral("7")) << QStringLiteral("szh");
    QTest::newRow("1") << QVariant(1) << QStringLiteral("en");
    QTest::newRow("3") << QVariant(3) << QStringLiteral("en");
    QTest::newRow("negative") << QVariant(-3) << QStringLiteral("en");
    QTest::newRow("large") << QVariant(70000) << QStringLiteral("en");
    QTest::newRow("not a number") << QVariant(QStringLiteral("italiano")) << QStringLiteral("it");
    QTest::newRow("missing") << QVariant() << QStringLiteral("en");
}

void TestDock::helpLanguage()
{
    QFETCH(QVariant, language);
    QFETCH(QString, folder);

    SettingsSandbox sandbox;
    if (language.isValid())
        sandbox.userStore()->setValue(QStringLiteral("Settings/Language"), language);
    UrlRecorder viewer(QStringLiteral("file"));
    QWidget player;
    QDockQuorvelEnv dock(&player);
    dock.openHelpFile();
    QCOMPARE(viewer.urls.size(), 1);
    QCOMPARE(viewer.urls.at(0).toString(),
             QStringLiteral("file:///opt/Prevok/Quorvel/help/%1/1.0.0.0.pdf").arg(folder));
}

void TestDock::toolPrograms_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("console") << QStringLiteral("Brenlow");
    QTest::newRow("sender") << QStringLiteral("SendQuorvel");
}

void TestDock::toolPrograms()
{
    QFETCH(QString, program);

    SettingsSandbox sandbox;
    // A platform folder with a blank in its name, as on a usual installation.
    const QString folder = sandbox.path(QStringLiteral("Prevok Quorvel"));
    QDir().mkpath(folder);
    sandbox.machineStore()->setValue(QStringLiteral("PathBin"), QString(folder + QStringLiteral("/Quorvel")));
    const QString record = sandbox.path(QStringLiteral("tool.rec"));
    writeRecorderProgram(folder + QLatin1Char('/') + program, record, 30);

    QWidget player;
    auto *dock = new QDockQuorvelEnv(&player);
    const auto start = [&] {
        if (program == QStringLiteral("Brenlow"))
            dock->onButBrenlow();
        else
            dock->onButSendCo();
    };

    start();
    RecordedStart first;
    QTRY_VERIFY_WITH_TIMEOUT(readRecordedStart(record, first), 5000);
    QCOMPARE(first.arguments, QStringList());
    QCOMPARE(first.workingDirectory, QDir::current().canonicalPath());
    QVERIFY(processAlive(first.pid));

    // Started again: the earlier copy is ended.
    QFile::remove(record);
    start();
    RecordedStart second;
    QTRY_VERIFY_WITH_TIMEOUT(readRecordedStart(record, second), 5000);
    QVERIFY(second.pid != first.pid);
    QVERIFY(!processAlive(first.pid));
    QVERIFY(processAlive(second.pid));

    // The dock takes its tool with it.
    delete dock;
    QVERIFY(!processAlive(second.pid));
}

QTEST_MAIN(TestDock)
#include "tst_launcher_dock.moc"
