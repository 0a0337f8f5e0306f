// What the installer reads beside it: the two pages, its ini file, and the
// setup command line it is given.
#include "InstallerFolder.h"
#include "InstallerSettings.h"
#include "SetupCommand.h"
#include "TextFiles.h"

#include <QtTest>

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class TestInstallerFiles : public QObject
{
    Q_OBJECT

private slots:
    void textFilesAreReadAsUtf8UpToTheFirstNul_data();
    void textFilesAreReadAsUtf8UpToTheFirstNul();
    void missingTextFileLeavesTheTargetUntouched();
    void iniValuesAndDefaults_data();
    void iniValuesAndDefaults();
    void readmeVersionSubstitution_data();
    void readmeVersionSubstitution();
    void hugePagesAndVersionsAreBounded();
    void folderIsTheOneHoldingTheIni();
    void watchedNameIsTheProgramsFileName_data();
    void watchedNameIsTheProgramsFileName();

private:
    QTemporaryDir m_dir;
};

void TestInstallerFiles::textFilesAreReadAsUtf8UpToTheFirstNul_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("Italian text") << QByteArray("<p>Attenzione: versione più recente</p>")
                                  << QStringLiteral("<p>Attenzione: versione più recente</p>");
    QTest::newRow("text ends at the NUL") << QByteArray("<p>ok</p>\0<p>garbage</p>", 24)
                                          << QStringLiteral("<p>ok</p>");
    QTest::newRow("NUL first") << QByteArray("\0<p>hidden</p>", 14) << QString();
    QTest::newRow("line ends kept") << QByteArray("a\r\nb\n") << QStringLiteral("a\r\nb\n");
}

void TestInstallerFiles::textFilesAreReadAsUtf8UpToTheFirstNul()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(QStringLiteral("page.html"));
    writeFile(path, bytes);
    QString target = QStringLiteral("before");
    QVERIFY(readTextFile(path, target));
    QCOMPARE(target, expected);
}

void TestInstallerFiles::missingTextFileLeavesTheTargetUntouched()
{
    QString target = QStringLiteral("before");
    QVERIFY(!readTextFile(m_dir.filePath(QStringLiteral("no-such-page.html")), target));
    QCOMPARE(target, QStringLiteral("before"));
    // A folder of that name cannot be read as a page either.
    QVERIFY(!readTextFile(m_dir.path(), target));
    QCOMPARE(target, QStringLiteral("before"));
}

void TestInstallerFiles::iniValuesAndDefaults_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("setupName");
    QTest::addColumn<int>("setupId");
    QTest::addColumn<QString>("versionEnv");

    QTest::newRow("no file") << QByteArray() << QString() << 0 << QString();
    QTest::newRow("all keys") << QByteArray("SETUPNAME=QuorvelSetup\nSETUPID=2\nVERSIONENV=3.1.5\n")
                              << QStringLiteral("QuorvelSetup") << 2 << QStringLiteral("3.1.5");
    QTest::newRow("general section")
        << QByteArray("[General]\nSETUPNAME=\"setup.sh --lang it\"\nSETUPID=1\n")
        << QStringLiteral("setup.sh --lang it") << 1 << QString();
    QTest::newRow("keys in a group do not count")
        << QByteArray("[Setup]\nSETUPNAME=QuorvelSetup\nSETUPID=4\n") << QString() << 0 << QString();
    QTest::newRow("SETUPID not a number") << QByteArray("SETUPID=uno\nVERSIONENV=3.2\n") << QString() << 0
                                          << QStringLiteral("3.2");
    QTest::newRow("negative SETUPID") << QByteArray("SETUPID=-1\n") << QString() << -1 << QString();
    QTest::newRow("byte-order mark, quotes, commas, Latin-1")
        << QByteArray("\xef\xbb\xbfSETUPNAME=sh \"my setup\" --parti=base,docs\nVERSIONENV=caff\xe8\n")
        << QStringLiteral("sh \"my setup\" --parti=base,docs") << 0 << QStringLiteral("caffè");
    QTest::newRow("not an ini file at all") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11) << QString() << 0 << QString();
}

void TestInstallerFiles::iniValuesAndDefaults()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, setupName);
    QFETCH(int, setupId);
    QFETCH(QString, versionEnv);

    // One file per row: QSettings caches ini files by path.
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".ini"));
    if (!ini.isNull())
        writeFile(path, ini);
    const QByteArray before = ini;
    const InstallerSettings settings = InstallerSettings::read(path);
    QCOMPARE(settings.setupName, setupName);
    QCOMPARE(settings.setupId, setupId);
    QCOMPARE(settings.versionEnv, versionEnv);
    // The ini is only read: a missing one is not created, an existing one not rewritten.
    if (ini.isNull()) {
        QVERIFY(!QFile::exists(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

void TestInstallerFiles::folderIsTheOneHoldingTheIni()
{
    const QString home = m_dir.filePath(QStringLiteral("home"));
    const QString medium = m_dir.filePath(QStringLiteral("supporto è"));
    const QString other = m_dir.filePath(QStringLiteral("altro"));
    for (const QString &folder : {home, medium, other})
        QVERIFY(QDir().mkpath(folder));
    writeFile(medium + QStringLiteral("/QuorvelIns.ini"), "SETUPNAME=setup\n");
    QVERIFY(QDir().mkpath(other + QStringLiteral("/QuorvelIns.ini")));

    QCOMPARE(InstallerFolder::find(medium, home), medium);
    QCOMPARE(InstallerFolder::find(home, medium), medium);
    // A folder named like the ini is no ini.
    QCOMPARE(InstallerFolder::find(other, home), QString());
    const QString message = InstallerFolder::missingFilesMessage(home, other);
    for (const QString &part : {home, other, QStringLiteral("QuorvelIns.ini"), QStringLiteral("Intro.html"),
                                QStringLiteral("ReadMe.html")})
        QVERIFY2(message.contains(part), qPrintable(part));
}

void TestInstallerFiles::readmeVersionSubstitution_data()
{
    QTest::addColumn<int>("setupId");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("expected");

    QTest::newRow("SETUPID 0 shows x.x.x") << 0 << QStringLiteral("3.1.5")
                                           << QStringLiteral("<h1>Quorvel x.x.x</h1><p>x.x.x X.X.X</p>");
    QTest::newRow("every x.x.x becomes the version") << 1 << QStringLiteral("3.1.5")
                                                     << QStringLiteral("<h1>Quorvel 3.1.5</h1><p>3.1.5 X.X.X</p>");
    QTest::newRow("negative SETUPID substitutes too") << -7 << QStringLiteral("4.0")
                                                      << QStringLiteral("<h1>Quorvel 4.0</h1><p>4.0 X.X.X</p>");
    QTest::newRow("empty VERSIONENV removes them") << 3 << QString()
                                                   << QStringLiteral("<h1>Quorvel </h1><p> X.X.X</p>");
}

void TestInstallerFiles::readmeVersionSubstitution()
{
    QFETCH(int, setupId);
    QFETCH(QString, version);
    QFETCH(QString, expected);
    InstallerSettings settings;
    settings.setupId = setupId;
    settings.versionEnv = version;
    QCOMPARE(readmeForDisplay(QStringLiteral("<h1>Quorvel x.x.x</h1><p>x.x.x X.X.X</p>"), settings), expected);
}

void TestInstallerFiles::hugePagesAndVersionsAreBounded()
{
    // A read-me of 1 MB holding the version mark 200,000 times and a
    // version of 6,000 characters: substituted in full it would take 1.2
    // billion characters.
    QByteArray marks;
    for (int i = 0; i < 200000; ++i)
        marks += "x.x.x";
    const QByteArray page = "<p>" + marks + "</p>";
    const QString path = m_dir.filePath(QStringLiteral("ReadMe.html"));
    writeFile(path, page);
    QString readme;
    QVERIFY(readTextFile(path, readme));
    QCOMPARE(readme.size(), int(kMaxTextFileBytes));
    // What fits the read: 50,000 marks.
    readme = readme.left(3 + 50000 * 5) + QStringLiteral("</p>");

    InstallerSettings settings;
    settings.setupId = 1;
    settings.versionEnv = QStringLiteral("<v>") + QString(5993, QLatin1Char('9')) + QStringLiteral("</v>");
    QCOMPARE(settings.versionEnv.size(), 6000);
    const QString shown = readmeForDisplay(readme, settings);
    QVERIFY(shown.size() <= kMaxReadmeChars);
    QVERIFY(shown.size() > kMaxReadmeChars - settings.versionEnv.size());
    // The marks are replaced from the start; those past the bound stay as written.
    QVERIFY(shown.startsWith(QStringLiteral("<p>") + settings.versionEnv + settings.versionEnv));
    QVERIFY(shown.endsWith(QStringLiteral("x.x.xx.x.x</p>")));
    const int replaced = shown.count(settings.versionEnv);
    QCOMPARE(shown.size(), 3 + replaced * 6000 + (50000 - replaced) * 5 + 4);

    // A shorter version never grows the text, so every mark is replaced.
    settings.versionEnv = QStringLiteral("3.1");
    QCOMPARE(readmeForDisplay(readme, settings).count(QStringLiteral("x.x.x")), 0);

    // A page file larger than the bound is read up to it.
    const QByteArray huge(int(kMaxTextFileBytes) + 4096, 'a');
    writeFile(path, huge);
    QVERIFY(readTextFile(path, readme));
    QCOMPARE(readme.size(), int(kMaxTextFileBytes));
}

void TestInstallerFiles::watchedNameIsTheProgramsFileName_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("watched");

    QTest::newRow("bare name") << QStringLiteral("QuorvelSetup") << QStringLiteral("QuorvelSetup");
    QTest::newRow("script with arguments") << QStringLiteral("setup.sh /S /lang=it") << QStringLiteral("setup.sh");
    QTest::newRow("relative path") << QStringLiteral("./disk1/setup.sh --quiet") << QStringLiteral("setup.sh");
    QTest::newRow("absolute path") << QStringLiteral("/media/cd/QuorvelSetup") << QStringLiteral("QuorvelSetup");
    QTest::newRow("quoted name with a blank") << QStringLiteral("\"Quorvel Setup\" -x")
                                              << QStringLiteral("Quorvel Setup");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks only") << QStringLiteral("   ") << QString();
    // A script handed to an interpreter runs under the script's name.
    QTest::newRow("sh and a script") << QStringLiteral("sh fakesetup") << QStringLiteral("fakesetup");
    QTest::newRow("interpreter by path, options first")
        << QStringLiteral("/bin/bash -e -x ./disk1/setup.sh --quiet") << QStringLiteral("setup.sh");
    QTest::newRow("python with an option") << QStringLiteral("python3 -u /opt/cd/setup.py /S")
                                           << QStringLiteral("setup.py");
    QTest::newRow("perl") << QStringLiteral("perl setup.pl") << QStringLiteral("setup.pl");
    QTest::newRow("after --") << QStringLiteral("dash -- -odd-name") << QStringLiteral("-odd-name");
    QTest::newRow("command string is no script") << QStringLiteral("sh -c \"./setup.sh; echo done\"")
                                                 << QStringLiteral("sh");
    QTest::newRow("combined options with c") << QStringLiteral("bash -ec ./setup.sh") << QStringLiteral("bash");
    QTest::newRow("python module") << QStringLiteral("python3 -m setup") << QStringLiteral("python3");
    QTest::newRow("interpreter alone") << QStringLiteral("bash") << QStringLiteral("bash");
    QTest::newRow("program through env") << QStringLiteral("env LANG=it_IT.UTF-8 -u X ./QuorvelSetup /S")
                                         << QStringLiteral("QuorvelSetup");
    QTest::newRow("script through env and sh") << QStringLiteral("/usr/bin/env sh ./fakesetup")
                                               << QStringLiteral("fakesetup");
    QTest::newRow("env alone") << QStringLiteral("env A=1") << QString();
    QTest::newRow("name that only starts like sh") << QStringLiteral("shsetup run") << QStringLiteral("shsetup");
}

void TestInstallerFiles::watchedNameIsTheProgramsFileName()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, watched);
    QCOMPARE(SetupCommand(commandLine).watchedName(), watched);
}

QTEST_GUILESS_MAIN(TestInstallerFiles)
#include "tst_installer_files.moc"
