// Each built program started the way a user starts it: a lone --help or
// --version answers at once, without a display, and the same words beside
// other arguments leave the program's own command line alone.
#include "ProgramVersions.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestEntryPoints : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();

private:
    QTemporaryDir m_dir;
};

namespace {

enum class Outcome {
    Help,         // usage text, exit code 0
    Version,      // "<program> <version>", exit code 0
    EndsQuietly,  // the program's own early end: code 0, nothing printed
    Runs,         // the program's own run: still going after a while, nothing printed
};

struct Program
{
    const char *name;
    const char *path;
    const char *version;
};

const Program kPrograms[] = {
#ifdef BRENLOW_PATH
    {"Brenlow", BRENLOW_PATH, ProgramVersions::kConsole},
#endif
#ifdef BRENLOW_SNAP_PATH
    {"brenlow-snap", BRENLOW_SNAP_PATH, ProgramVersions::kSnapshot},
#endif
#ifdef QUORVELENV_PATH
    {"QuorvelEnv", QUORVELENV_PATH, ProgramVersions::kLauncher},
#endif
#ifdef QUORVELINS_PATH
    {"QuorvelIns", QUORVELINS_PATH, ProgramVersions::kInstaller},
#endif
#ifdef CTRLSIM_PATH
    {"ctrlsim", CTRLSIM_PATH, ProgramVersions::kSimulator},
#endif
};

} // namespace

Q_DECLARE_METATYPE(Outcome)

void TestEntryPoints::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (std::size(kPrograms) == 0)
        QSKIP("no program is part of this build");
}

void TestEntryPoints::commandLine_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Outcome>("outcome");

    for (const Program &program : kPrograms) {
        const QString path = QString::fromLocal8Bit(program.path);
        const QString version = QString::fromLatin1(program.version);
        const auto row = [&](const char *what) {
            return &QTest::addRow("%s %s", program.name, what);
        };
        *row("--help") << path << version << QStringList{QStringLiteral("--help")} << Outcome::Help;
        *row("-h") << path << version << QStringList{QStringLiteral("-h")} << Outcome::Help;
        *row("--version") << path << version << QStringList{QStringLiteral("--version")} << Outcome::Version;
        *row("-v") << path << version << QStringList{QStringLiteral("-v")} << Outcome::Version;

        const QString name = QString::fromLatin1(program.name);
        if (name == QLatin1String("Brenlow")) {
            // The joined command line names a channel list; an empty one
            // opens no window and the console keeps running.
            *row("--help beside a file") << path << version
                                         << QStringList{QStringLiteral("--help"), QStringLiteral("vuota.txt")}
                                         << Outcome::Runs;
        } else if (name == QLatin1String("QuorvelEnv")) {
            // The first argument is a project path: no such file, so the
            // launcher ends at once, silently.
            *row("--help before NOINTRO") << path << version
                                          << QStringList{QStringLiteral("--help"), QStringLiteral("NOINTRO")}
                                          << Outcome::EndsQuietly;
            *row("--version before a project") << path << version
                                               << QStringList{QStringLiteral("--version"), QStringLiteral("p.qvl")}
                                               << Outcome::EndsQuietly;
        } else if (name == QLatin1String("QuorvelIns")) {
            // The installer takes no argument: it opens its window.
            *row("--version beside another") << path << version
                                             << QStringList{QStringLiteral("--version"), QStringLiteral("x")}
                                             << Outcome::Runs;
        }
    }
}

void TestEntryPoints::commandLine()
{
    QFETCH(QString, program);
    QFETCH(QString, version);
    QFETCH(QStringList, arguments);
    QFETCH(Outcome, outcome);

    // The channel list the console is given when --help stands beside it.
    QFile list(m_dir.filePath(QStringLiteral("--help vuota.txt")));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), m_dir.filePath(QStringLiteral("system")));
    environment.insert(QStringLiteral("TMPDIR"), m_dir.path());
    if (outcome == Outcome::Help || outcome == Outcome::Version) {
        // Answering must not need a display: with the X platform and no
        // display, any attempt to open a window would abort the program.
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    } else {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    process.start(program, arguments);
    QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));
    const bool ended = process.waitForFinished(outcome == Outcome::Runs ? 2000 : 20000);
    if (!ended) {
        process.kill();
        process.waitForFinished(5000);
    }
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString name = QFileInfo(program).fileName();

    switch (outcome) {
    case Outcome::Help:
        QVERIFY(ended);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY2(out.startsWith(QStringLiteral("Usage: ")), qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral("--version")), qPrintable(out));
        break;
    case Outcome::Version:
        QVERIFY(ended);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(out, name + QLatin1Char(' ') + version + QLatin1Char('\n'));
        break;
    case Outcome::EndsQuietly:
        QVERIFY(ended);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(out, QString());
        break;
    case Outcome::Runs:
        QVERIFY2(!ended, qPrintable(QStringLiteral("ended with code %1: %2").arg(process.exitCode()).arg(out)));
        QCOMPARE(out, QString());
        break;
    }
}

QTEST_GUILESS_MAIN(TestEntryPoints)
#include "tst_entry_points.moc"
