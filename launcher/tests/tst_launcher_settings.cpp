// The settings stores as other programs and people write them: files of
// QSettings(IniFormat) in any codec read back as set, hand-written UTF-8
// files as written, all the way into the arguments of a machine's program
// and the dock's captions.
#include "LauncherFixtures.h"
#include "dock/QDockQuorvelEnv.h"
#include "records/QProject.h"
#include "startup/LauncherSettings.h"
#include "startup/LauncherStartup.h"
#include "SettingsFileFormat.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
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
    void qtWrittenFilesReadBackAsSet_data();
    void qtWrittenFilesReadBackAsSet();
    void valuesReachProgramsAndCaptionsAsWritten_data();
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
    QTest::newRow("quoted pieces of a list") << QByteArray("[Machines]\nRapida\\SvnId=\"r 2\", \"beta\"\n")
                                             << QStringLiteral("Machines/Rapida/SvnId") << QVariant(QStringLiteral("r 2, beta"));
    QTest::newRow("quotes inside a command line")
        << QByteArray("SETUPNAME=sh \"my setup\" --parti=base,docs\n") << QStringLiteral("SETUPNAME")
        << QVariant(QStringLiteral("sh \"my setup\" --parti=base,docs"));
    QTest::newRow("outer blanks dropped, quoted ones kept")
        << QByteArray("[Machines\\A]\nConfig=  due spazi  \nSvnId=\"  tre  \"\n") << QStringLiteral("Machines/A/Config")
        << QVariant(QStringLiteral("due spazi"));
    QTest::newRow("semicolon and unknown escapes are text")
        << QByteArray("[Machines\\A]\nPathBin=C:\\Quorvel\\\\bin;x\\q\n") << QStringLiteral("Machines/A/PathBin")
        << QVariant(QStringLiteral("C:\\Quorvel\\bin;x\\q"));
    QTest::newRow("Latin-1 bytes") << QByteArray("[Machines\\Caff\xe8]\nConfig=caff\xe8\n")
                                   << QStringLiteral("Machines/Caffè/Config") << QVariant(QStringLiteral("caffè"));
    QTest::newRow("NUL does not end the file") << QByteArray("K=a\0b\nL=2\n", 10) << QStringLiteral("L")
                                               << QVariant(QStringLiteral("2"));
    QTest::newRow("a real group named General") << QByteArray("[%General]\nK=1\n") << QStringLiteral("General/K")
                                                << QVariant(QStringLiteral("1"));
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
                                     {QStringLiteral("Machines/Rettilinea è/SvnId"), QStringLiteral("righe\na\\b\t")},
                                     {QStringLiteral("Machines/Rettilinea è/ProtocolEnv"), QStringLiteral("1")},
                                     {QStringLiteral("General/Language"), QStringLiteral("@4")}};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(SettingsFileFormat::write(buffer, map));
    QCOMPARE(readText(buffer.data()), map);

    // A file beyond the bound is not read.
    bool ok = true;
    QVERIFY(readText(QByteArray(int(SettingsFileFormat::maxFileBytes) + 1, 'x'), &ok).isEmpty());
    QVERIFY(!ok);
}

void TestSettings::qtWrittenFilesReadBackAsSet_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::newRow("escapes") << QByteArray();
    QTest::newRow("UTF-8") << QByteArray("UTF-8");
    QTest::newRow("Latin-1") << QByteArray("ISO-8859-1");
}

void TestSettings::qtWrittenFilesReadBackAsSet()
{
    QFETCH(QByteArray, codec);
    // Every kind of character Qt's writer treats apart, in names and values,
    // alone and next to each other.
    const QStringList pieces{QStringLiteral("caffè"), QStringLiteral(", "), QStringLiteral("\"r 2\""),
                             QStringLiteral("\\"), QStringLiteral(";"), QStringLiteral("#"), QStringLiteral("="),
                             QStringLiteral(" "), QStringLiteral("%20"), QStringLiteral("@"), QStringLiteral("\t1"),
                             QStringLiteral("\u00ff0"), QStringLiteral("€"), QString(QChar(0)) + QStringLiteral("7"), QStringLiteral("x")};
    QSettings::SettingsMap expected;
    for (int i = 0; i < pieces.size(); ++i) {
        for (int j = 0; j < pieces.size(); ++j) {
            const QString value = pieces.at(i) + pieces.at(j);
            const QString name = QStringLiteral("Machines/") + value + QStringLiteral("/Config");
            if (!codec.isEmpty() && codec != "UTF-8" && value.contains(QChar(0x20ac)))
                continue;
            expected.insert(name, value);
            expected.insert(QStringLiteral("K") + QString::number(i * 100 + j), value);
        }
    }
    expected.insert(QStringLiteral("Settings/Language"), 4);
    expected.insert(QStringLiteral("Bytes"), QByteArray("\xe8\0;\"", 4));
    expected.insert(QStringLiteral("Empty"), QString());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("qt.conf"));
    {
        QSettings qt(path, QSettings::IniFormat);
        if (!codec.isEmpty())
            qt.setIniCodec(codec.constData());
        for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
            qt.setValue(it.key(), it.value());
        qt.sync();
        QCOMPARE(qt.status(), QSettings::NoError);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QSettings::SettingsMap read = readText(file.readAll());
    QCOMPARE(read.size(), expected.size());
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it) {
        QVERIFY2(read.contains(it.key()), qPrintable(it.key()));
        QCOMPARE(read.value(it.key()).toString(), it.value().toString());
    }
    QCOMPARE(read.value(QStringLiteral("Bytes")).toByteArray(), QByteArray("\xe8\0;\"", 4));
}

void TestSettings::valuesReachProgramsAndCaptionsAsWritten_data()
{
    QTest::addColumn<bool>("writtenByQt");
    QTest::newRow("by hand") << false;
    QTest::newRow("by QSettings") << true;
}

void TestSettings::valuesReachProgramsAndCaptionsAsWritten()
{
    QFETCH(bool, writtenByQt);
    SettingsSandbox sandbox;
    const QString pathMac = sandbox.path(QStringLiteral("macchine/retti è"));
    QDir().mkpath(pathMac + QStringLiteral("/bin"));
    writeRecorderProgram(pathMac + QStringLiteral("/avvio"), sandbox.path(QStringLiteral("start.rec")));
    writeFile(pathMac + QStringLiteral("/descr è.mac"),
              machineFile(1, {{QStringLiteral("[DESCRIZIONE] MACHID"), QStringLiteral("7")}}));
    const QString machine = QStringLiteral("Rettilinea è");
    const QString config = QStringLiteral("caffè, 2 fronti");
    QString svnId = QStringLiteral("\"r 2\", prova");
    const QString storeA = sandbox.path(QStringLiteral("system/Prevok S.p.A./QuorvelEnv.conf"));
    QDir().mkpath(QFileInfo(storeA).path());
    if (writtenByQt) {
        // As the platform's Qt programs write it: escapes, quotes, percent-encoded names.
        QSettings qt(storeA, QSettings::IniFormat);
        qt.setValue(QStringLiteral("PathBin"), QStringLiteral("/opt/Quorvel/Quorvel"));
        qt.beginGroup(QString(QStringLiteral("Machines/") + machine));
        qt.setValue(QStringLiteral("PathBin"), QString(pathMac + QStringLiteral("/avvio")));
        qt.setValue(QStringLiteral("PathMac"), pathMac);
        qt.setValue(QStringLiteral("Config"), config);
        qt.setValue(QStringLiteral("SvnId"), svnId);
        qt.setValue(QStringLiteral("MacRootFile"), QStringLiteral("descr è.mac"));
        qt.setValue(QStringLiteral("MacFileType"), 1);
        qt.setValue(QStringLiteral("ProtocolEnv"), 1);
        qt.setValue(QStringLiteral("ProtocolSta"), 1);
    } else {
        // As a person writes it: UTF-8, commas, quotes and blanks. The quoted
        // piece reads as Qt would read it, without its quotes.
        const QByteArray path = pathMac.toUtf8();
        writeFile(storeA, "; macchine del reparto\n"
                          "[General]\n"
                          "PathBin=/opt/Quorvel/Quorvel\n"
                          "\n"
                          "[Machines\\Rettilinea \xc3\xa8]\n"
                          "PathBin=" + path + "/avvio\n"
                          "PathMac=" + path + "\n"
                          "Config=caff\xc3\xa8, 2 fronti \n"
                          "SvnId=\"r 2\", prova\n"
                          "MacRootFile=descr \xc3\xa8.mac\n"
                          "MacFileType=1\n"
                          "ProtocolEnv=1\n"
                          "ProtocolSta=1\n");
        svnId = QStringLiteral("r 2, prova");
    }
    QDir().mkpath(sandbox.path(QStringLiteral("user/Prevok S.p.A.")));
    writeFile(sandbox.path(QStringLiteral("user/Prevok S.p.A./Quorvel.conf")), "[Settings]\nLanguage=4\n");

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
