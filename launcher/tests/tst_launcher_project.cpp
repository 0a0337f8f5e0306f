#include "LauncherFixtures.h"
#include "records/QProject.h"

#include <QDir>
#include <QtTest>

class TestProject : public QObject
{
    Q_OBJECT

private slots:
    void projectHeader_data();
    void projectHeader();
    void firstListedMachineWins();
    void unreadableDescriptionsAreSkipped();
    void startProjectProgram_data();
    void startProjectProgram();
    void missingBinFolderStartsNothing();

private:
    // A machine folder with its bin folder, its type-1 description file of
    // the given id and a recording program.
    QString addMachine(SettingsSandbox &sandbox, const QString &name, int id, const QVariantMap &extra = {});
};

QString TestProject::addMachine(SettingsSandbox &sandbox, const QString &name, int id, const QVariantMap &extra)
{
    const QString pathMac = sandbox.path(QStringLiteral("machines/") + name);
    QDir().mkpath(pathMac + QStringLiteral("/bin"));
    writeFile(pathMac + QStringLiteral("/root.mac"),
              machineFile(1, {{QStringLiteral("[DESCRIZIONE] MACHID"), QString::number(id)}}));
    writeRecorderProgram(pathMac + QStringLiteral("/program"), sandbox.path(name + QStringLiteral(".rec")));
    QVariantMap values{{QStringLiteral("PathBin"), QVariant(pathMac + QStringLiteral("/program"))},
                       {QStringLiteral("PathMac"), QVariant(pathMac)},
                       {QStringLiteral("Config"), QVariant(QStringLiteral("Config ") + name)},
                       {QStringLiteral("SvnId"), QVariant(QStringLiteral("r") + QString::number(id))},
                       {QStringLiteral("MacRootFile"), QVariant(QStringLiteral("root.mac"))},
                       {QStringLiteral("MacFileType"), QVariant(1)},
                       {QStringLiteral("ProtocolSta"), QVariant(1)}};
    for (auto it = extra.constBegin(); it != extra.constEnd(); ++it)
        values.insert(it.key(), it.value());
    sandbox.addMachine(name, values);
    return pathMac;
}

void TestProject::projectHeader_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("machine");

    QTest::newRow("empty") << QByteArray() << false << QString();
    QTest::newRow("1 byte") << QByteArray("\x05", 1) << false << QString();
    QTest::newRow("3 bytes") << QByteArray("\x05\x05\x05", 3) << false << QString();
    QTest::newRow("id 0") << QByteArray("\x05\x05\x05\x00 rest", 9) << false << QString();
    QTest::newRow("id 5") << QByteArray("\x00\x00\x00\x05", 4) << true << QStringLiteral("Five");
    QTest::newRow("id 5, more bytes") << QByteArray("QVL\x05 and the project body", 24) << true
                                      << QStringLiteral("Five");
    QTest::newRow("byte 0xC8 is id 200") << QByteArray("\x01\x02\x03\xC8", 4) << true << QStringLiteral("Big");
    QTest::newRow("unknown id") << QByteArray("\x00\x00\x00\x06", 4) << false << QString();
}

void TestProject::projectHeader()
{
    QFETCH(QByteArray, header);
    QFETCH(bool, opened);
    QFETCH(QString, machine);

    SettingsSandbox sandbox;
    addMachine(sandbox, QStringLiteral("Five"), 5);
    addMachine(sandbox, QStringLiteral("Big"), 200);
    // Listed first: the id byte 0xC8 would find it if the byte were signed.
    addMachine(sandbox, QStringLiteral("A-negative"), -56);

    const QString path = sandbox.path(QStringLiteral("project.qvl"));
    writeFile(path, header);
    QProject project;
    QCOMPARE(project.openProjectFile(path), opened);
    QCOMPARE(project.machineName(), machine);
    QCOMPARE(project.projectPath(), opened ? path : QString());

    QProject missing;
    QVERIFY(!missing.openProjectFile(sandbox.path(QStringLiteral("none.qvl"))));
    QVERIFY(!missing.openProjectFile(sandbox.path(QStringLiteral("machines"))));
    QVERIFY(!missing.openProjectFile(QString()));
}

void TestProject::firstListedMachineWins()
{
    SettingsSandbox sandbox;
    addMachine(sandbox, QStringLiteral("Rapida"), 9);
    addMachine(sandbox, QStringLiteral("Lenta"), 9);
    addMachine(sandbox, QStringLiteral("Media"), 9);
    const QString path = sandbox.path(QStringLiteral("p.qvl"));
    writeFile(path, QByteArray("\0\0\0\x09", 4));

    const auto store = sandbox.machineStore();
    store->beginGroup(QStringLiteral("Machines"));
    const QString first = store->childGroups().value(0);

    QProject project;
    QVERIFY(project.openProjectFile(path));
    QCOMPARE(project.machineName(), first);
}

void TestProject::unreadableDescriptionsAreSkipped()
{
    SettingsSandbox sandbox;
    // Listed before the good one: wrong version (message), truncated, not
    // XML, missing file, no file type, and a type-2 file of another id.
    const QString a = addMachine(sandbox, QStringLiteral("A-version"), 4);
    writeFile(a + QStringLiteral("/root.mac"), machineFile(7, {{QStringLiteral("[DESCRIZIONE] MACHID"), QStringLiteral("4")}}));
    const QString b = addMachine(sandbox, QStringLiteral("B-truncated"), 4);
    writeFile(b + QStringLiteral("/root.mac"), machineFile(1, {{QStringLiteral("[DESCRIZIONE] MACHID"), QStringLiteral("4")}}).left(10));
    const QString c = addMachine(sandbox, QStringLiteral("C-text"), 4, {{QStringLiteral("MacFileType"), QVariant(2)}});
    writeFile(c + QStringLiteral("/root.mac"), macXmlFile(1, QStringLiteral("MACUID 4")));
    addMachine(sandbox, QStringLiteral("D-missing"), 4, {{QStringLiteral("MacRootFile"), QVariant(QStringLiteral("none.mac"))}});
    addMachine(sandbox, QStringLiteral("E-notype"), 4, {{QStringLiteral("MacFileType"), QVariant(QStringLiteral("uno"))}});
    const QString f = addMachine(sandbox, QStringLiteral("F-other"), 4, {{QStringLiteral("MacFileType"), QVariant(2)}});
    writeFile(f + QStringLiteral("/root.mac"), macXmlFile(1, QStringLiteral("<BODY><MACUID>3</MACUID></BODY>")));
    const QString g = addMachine(sandbox, QStringLiteral("G-good"), 4, {{QStringLiteral("MacFileType"), QVariant(QStringLiteral("2"))}});
    writeFile(g + QStringLiteral("/root.mac"), macXmlFile(1, QStringLiteral("<BODY><MACUID>4</MACUID></BODY>")));

    const QString path = sandbox.path(QStringLiteral("p.qvl"));
    writeFile(path, QByteArray("\0\0\0\x04", 4));
    RecordingMessages messages;
    QProject project;
    QVERIFY(project.openProjectFile(path));
    QCOMPARE(project.machineName(), QStringLiteral("G-good"));
    QCOMPARE(messages.boxes.size(), 1);
    QVERIFY(messages.boxes.at(0).text.contains(QStringLiteral("Versione caricata:\t7\n")));
}

void TestProject::startProjectProgram_data()
{
    QTest::addColumn<QVariant>("protocolSta");
    QTest::addColumn<bool>("started");

    QTest::newRow("1") << QVariant(1) << true;
    QTest::newRow("text 1") << QVariant(QStringLiteral("1")) << true;
    QTest::newRow("0") << QVariant(0) << false;
    QTest::newRow("2") << QVariant(2) << false;
    QTest::newRow("not a number") << QVariant(QStringLiteral("si")) << false;
    QTest::newRow("missing") << QVariant() << false;
}

void TestProject::startProjectProgram()
{
    QFETCH(QVariant, protocolSta);
    QFETCH(bool, started);

    SettingsSandbox sandbox;
    const QString pathMac = addMachine(sandbox, QStringLiteral("Rapida"), 33);
    if (protocolSta.isValid())
        sandbox.addMachine(QStringLiteral("Rapida"), {{QStringLiteral("ProtocolSta"), QVariant(protocolSta)}});
    else
        sandbox.machineStore()->remove(QStringLiteral("Machines/Rapida/ProtocolSta"));
    writeFile(sandbox.path(QStringLiteral("progetto.qvl")), QByteArray("\0\0\0\x21 body", 9));

    // The project path exactly as typed: relative to the launcher's folder.
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(sandbox.root());
    QProject project;
    const bool opened = project.openProjectFile(QStringLiteral("progetto.qvl"));
    QDir::setCurrent(oldCurrent);
    QVERIFY(opened);
    QCOMPARE(project.startProjectProgram(), started);

    const QString record = sandbox.path(QStringLiteral("Rapida.rec"));
    RecordedStart start;
    if (started) {
        QTRY_VERIFY_WITH_TIMEOUT(readRecordedStart(record, start), 5000);
        QCOMPARE(start.arguments,
                 QStringList({QStringLiteral("-m"), pathMac, QStringLiteral("-n"), QStringLiteral("Config Rapida"),
                              QStringLiteral("-r"), QStringLiteral("r33"), QStringLiteral("-p"),
                              QStringLiteral("progetto.qvl")}));
        QCOMPARE(start.workingDirectory, QDir(pathMac + QStringLiteral("/bin")).canonicalPath());
    } else {
        QTest::qWait(300);
        QVERIFY(!QFile::exists(record));
    }
}

void TestProject::missingBinFolderStartsNothing()
{
    SettingsSandbox sandbox;
    const QString pathMac = addMachine(sandbox, QStringLiteral("Rapida"), 8);
    QDir(pathMac + QStringLiteral("/bin")).removeRecursively();
    const QString path = sandbox.path(QStringLiteral("p.qvl"));
    writeFile(path, QByteArray("\0\0\0\x08", 4));

    QProject project;
    QVERIFY(project.openProjectFile(path));
    // The launcher still ends as after any start; the program is not run in
    // some other folder.
    QVERIFY(project.startProjectProgram());
    QTest::qWait(500);
    QVERIFY(!QFile::exists(sandbox.path(QStringLiteral("Rapida.rec"))));
}

QTEST_GUILESS_MAIN(TestProject)
#include "tst_launcher_project.moc"
