// The settings stores as other programs and people write them: UTF-8 text,
// values taken exactly as written, all the way into the arguments of a
// machine's program and the dock's captions.
#include "LauncherFixtures.h"
#include "dock/QDockQuorvelEnv.h"
#include "records/QProject.h"
#include "startup/LauncherSettings.h"
#include "startup/LauncherStartup.h"
#include "startup/SettingsFileFormat.h"

#include <QBuffer>
#include <QDir>
#include <QToolButton>
#include <QtTest>

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileLinesToKeys_data();
    void fileLinesToKeys();
    void writtenStoresReadBackTheSame();
    void valuesReachProgramsAndCaptionsAsWritten();
};

namespace {

QSettings::SettingsMap readText(const QByteArray &text, bool *ok = nullptr)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    QSettings::SettingsMap map;
    const bool read = SettingsFileFormat::read(buffer, map);
    if (ok)
        *ok = read;
    return map;
}

} // namespace

void TestSettings::initTestCase()
{
    initLauncherResources();
}

void TestSettings::fileLinesToKeys_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("commas and blanks kept")
        << QByteArray("[Machines\\Rapida]\nConfig=caff\xc3\xa8, 2 fronti\n") << QStringLiteral("Machines/Rapida/Config")
        << QVariant(QStringLiteral("caffè, 2 fronti"));
    QTest::newRow("quotes kept") << QByteArray("[Machines]\nRapida\\SvnId=\"r 2\", \"beta\"\n")
                                 << QStringLiteral("Machines/Rapida/SvnId") << QVariant(QStringLiteral("\"r 2\", \"beta\""));
    QTest::newRow("leading and trailing blanks kept")
        << QByteArray("[Machines\\A]\nConfig=  due spazi  \n") << QStringLiteral("Machines/A/Config")
        << QVariant(QStringLiteral("  due spazi  "));
    QTest::newRow("semicolon and backslash are text")
        << QByteArray("[Machines\\A]\nPathBin=C:\\Quorvel\\bin;x\n") << QStringLiteral("Machines/A/PathBin")
        << QVariant(QStringLiteral("C:\\Quorvel\\bin;x"));
    QTest::newRow("first = splits") << QByteArray("[Machines\\A]\nConfig=a=b\n") << QStringLiteral("Machines/A/Config")
                                    << QVariant(QStringLiteral("a=b"));
    QTest::newRow("UTF-8 group name") << QByteArray("[Machines\\Rettilinea \xc3\xa8]\nConfig=x\n")
                                      << QStringLiteral("Machines/Rettilinea è/Config") << QVariant(QStringLiteral("x"));
    QTest::newRow("blanks around the key and brackets")
        << QByteArray("  [Settings]  \n  Language =4\n") << QStringLiteral("Settings/Language ") << QVariant();
    QTest::newRow("key trimmed") << QByteArray("[Settings]\n  Language =4\n") << QStringLiteral("Settings/Language")
                                 << QVariant(QStringLiteral("4"));
    QTest::newRow("General is the top level") << QByteArray("[General]\nPathBin=/opt/q\n") << QStringLiteral("PathBin")
                                              << QVariant(QStringLiteral("/opt/q"));
    QTest::newRow("keys before any group") << QByteArray("SvnId=12\n[Machines]\n") << QStringLiteral("SvnId")
                                           << QVariant(QStringLiteral("12"));
    QTest::newRow("Windows line ends and byte-order mark")
        << QByteArray("\xef\xbb\xbf[Settings]\r\nLanguage=2\r\n") << QStringLiteral("Settings/Language")
        << QVariant(QStringLiteral("2"));
    QTest::newRow("last of a repeated key") << QByteArray("[S]\nK=1\nK=2\n") << QStringLiteral("S/K")
                                            << QVariant(QStringLiteral("2"));
    QTest::newRow("empty value") << QByteArray("[S]\nK=\n") << QStringLiteral("S/K") << QVariant(QString());
    QTest::newRow("comments") << QByteArray("[S]\n;K=1\n# K=2\n") << QStringLiteral("S/K") << QVariant();
    QTest::newRow("line without =") << QByteArray("[S]\nK\n") << QStringLiteral("S/K") << QVariant();
    QTest::newRow("no key") << QByteArray("[S]\n=5\n") << QStringLiteral("S/") << QVariant();
}

void TestSettings::fileLinesToKeys()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    bool ok = false;
    const QSettings::SettingsMap map = readText(text, &ok);
    QVERIFY(ok);
    QCOMPARE(map.value(key), value);
}

void TestSettings::writtenStoresReadBackTheSame()
{
    const QSettings::SettingsMap map{{QStringLiteral("PathBin"), QStringLiteral("/opt/Quorvel/Quorvel")},
                                     {QStringLiteral("Machines/Rettilinea è/Config"), QStringLiteral(" a, \"b\"; c ")},
                                     {QStringLiteral("Machines/Rettilinea è/ProtocolEnv"), QStringLiteral("1")},
                                     {QStringLiteral("Settings/Language"), QStringLiteral("4")}};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(SettingsFileFormat::write(buffer, map));
    QCOMPARE(readText(buffer.data()), map);

    // A value on several lines cannot be written; a file beyond the bound
    // is not read.
    QBuffer other;
    other.open(QIODevice::WriteOnly);
    QVERIFY(!SettingsFileFormat::write(other, {{QStringLiteral("K"), QStringLiteral("a\nb")}}));
    bool ok = true;
    QVERIFY(readText(QByteArray(int(SettingsFileFormat::maxFileBytes) + 1, 'x'), &ok).isEmpty());
    QVERIFY(!ok);
}

void TestSettings::valuesReachProgramsAndCaptionsAsWritten()
{
    SettingsSandbox sandbox;
    const QString pathMac = sandbox.path(QStringLiteral("macchine/retti"));
    QDir().mkpath(pathMac + QStringLiteral("/bin"));
    writeRecorderProgram(pathMac + QStringLiteral("/avvio"), sandbox.path(QStringLiteral("start.rec")));
    writeFile(pathMac + QStringLiteral("/descr.mac"),
              machineFile(1, {{QStringLiteral("[DESCRIZIONE] MACHID"), QStringLiteral("7")}}));
    const QByteArray path = QFile::encodeName(pathMac);
    // Store A as a person writes it: UTF-8, commas, quotes and blanks.
    const QByteArray storeA = "; macchine del reparto\n"
                              "[General]\n"
                              "PathBin=/opt/Quorvel/Quorvel\n"
                              "\n"
                              "[Machines\\Rettilinea \xc3\xa8]\n"
                              "PathBin=" + path + "/avvio\n"
                              "PathMac=" + path + "\n"
                              "Config=caff\xc3\xa8, 2 fronti \n"
                              "SvnId=\"r 2\", prova\n"
                              "MacRootFile=descr.mac\n"
                              "MacFileType=1\n"
                              "ProtocolEnv=1\n"
                              "ProtocolSta=1\n";
    QDir().mkpath(sandbox.path(QStringLiteral("system/Prevok S.p.A.")));
    writeFile(sandbox.path(QStringLiteral("system/Prevok S.p.A./QuorvelEnv.conf")), storeA);
    QDir().mkpath(sandbox.path(QStringLiteral("user/Prevok S.p.A.")));
    writeFile(sandbox.path(QStringLiteral("user/Prevok S.p.A./Quorvel.conf")), "[Settings]\nLanguage=4\n");

    const QString machine = QStringLiteral("Rettilinea è");
    const QString config = QStringLiteral("caffè, 2 fronti ");
    const QString svnId = QStringLiteral("\"r 2\", prova");
    const auto user = LauncherSettings::openUserStore();
    QCOMPARE(LauncherSettings::readInt(*user, QStringLiteral("Settings/Language")), 4);

    // The dock: the group's name on its button, the values in the arguments.
    QWidget player;
    player.show();
    auto *dock = new QDockQuorvelEnv(&player);
    QCOMPARE(dock->machineNames(), QStringList{machine});
    const QList<QToolButton *> buttons = dock->findChildren<QToolButton *>();
    QToolButton *button = nullptr;
    for (QToolButton *candidate : buttons) {
        if (candidate->text() == machine)
            button = candidate;
    }
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    RecordedStart start;
    QTRY_VERIFY_WITH_TIMEOUT(readRecordedStart(sandbox.path(QStringLiteral("start.rec")), start), 5000);
    QCOMPARE(start.arguments,
             QStringList({QStringLiteral("-a"), QStringLiteral("/opt/Quorvel/Quorvel"), QStringLiteral("-m"), pathMac,
                          QStringLiteral("-n"), config, QStringLiteral("-r"), svnId}));

    // A project of the machine: its eight arguments.
    QFile::remove(sandbox.path(QStringLiteral("start.rec")));
    writeFile(sandbox.path(QStringLiteral("lavoro.qvl")), QByteArray("\0\0\0\x07", 4));
    QProject project;
    QVERIFY(project.openProjectFile(sandbox.path(QStringLiteral("lavoro.qvl"))));
    QCOMPARE(project.machineName(), machine);
    QVERIFY(project.startProjectProgram());
    QTRY_VERIFY_WITH_TIMEOUT(readRecordedStart(sandbox.path(QStringLiteral("start.rec")), start), 5000);
    QCOMPARE(start.arguments,
             QStringList({QStringLiteral("-m"), pathMac, QStringLiteral("-n"), config, QStringLiteral("-r"), svnId,
                          QStringLiteral("-p"), sandbox.path(QStringLiteral("lavoro.qvl"))}));
}

QTEST_MAIN(TestSettings)
#include "tst_launcher_settings.moc"
