// The standard options of every program: recognised only as the whole
// command line, so the programs' own command lines keep their meaning.
#include "ProgramEntry.h"

#include <QtTest>

class TestProgramEntry : public QObject
{
    Q_OBJECT

private slots:
    void loneStandardOption_data();
    void loneStandardOption();
};

namespace {

ProgramDescription lineReader()
{
    ProgramDescription program;
    program.name = QStringLiteral("Lettore");
    program.version = QStringLiteral("004.010");
    program.summary = QStringLiteral("Reads one list of controllers.");
    program.argumentName = QStringLiteral("list");
    program.argumentHelp = QStringLiteral("The list to read.");
    program.argumentSyntax = QStringLiteral("[list-file]");
    return program;
}

} // namespace

void TestProgramEntry::loneStandardOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected"); // "help", "version" or "" for the program's own run

    QTest::newRow("no argument") << QStringList() << QString();
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << QStringLiteral("help");
    QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << QStringLiteral("help");
    QTest::newRow("--help-all") << QStringList{QStringLiteral("--help-all")} << QStringLiteral("help");
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << QStringLiteral("version");
    QTest::newRow("-v") << QStringList{QStringLiteral("-v")} << QStringLiteral("version");

    // Beside anything else the options are the program's own arguments.
    QTest::newRow("--help then a file") << QStringList{QStringLiteral("--help"), QStringLiteral("canali.txt")}
                                        << QString();
    QTest::newRow("a file then --help") << QStringList{QStringLiteral("canali.txt"), QStringLiteral("--help")}
                                        << QString();
    QTest::newRow("--version twice") << QStringList{QStringLiteral("--version"), QStringLiteral("--version")}
                                     << QString();
    QTest::newRow("--help and --version") << QStringList{QStringLiteral("--help"), QStringLiteral("--version")}
                                          << QString();

    // Lone arguments that are not exactly a standard option.
    QTest::newRow("keyword") << QStringList{QStringLiteral("NOINTRO")} << QString();
    QTest::newRow("file name") << QStringList{QStringLiteral("maglia.qvl")} << QString();
    QTest::newRow("upper-case option") << QStringList{QStringLiteral("--HELP")} << QString();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--helpme")} << QString();
    QTest::newRow("option with a value") << QStringList{QStringLiteral("--version=2")} << QString();
    QTest::newRow("-? (Windows only)") << QStringList{QStringLiteral("-?")} << QString();
    QTest::newRow("dash") << QStringList{QStringLiteral("-")} << QString();
    QTest::newRow("double dash") << QStringList{QStringLiteral("--")} << QString();
    QTest::newRow("empty argument") << QStringList{QString()} << QString();
    QTest::newRow("path with blanks") << QStringList{QStringLiteral("/tmp/--help x")} << QString();
}

void TestProgramEntry::loneStandardOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);

    arguments.prepend(QStringLiteral("/usr/bin/Lettore"));
    const QString text = standaloneOptionText(arguments, lineReader());
    if (expected.isEmpty()) {
        QVERIFY2(text.isEmpty(), qPrintable(text));
    } else if (expected == QLatin1String("version")) {
        QCOMPARE(text, QStringLiteral("Lettore 004.010\n"));
    } else {
        QVERIFY2(text.startsWith(QStringLiteral("Usage: ")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("[list-file]")));
        QVERIFY(text.contains(QStringLiteral("Reads one list of controllers.")));
        QVERIFY(text.contains(QStringLiteral("--version")));
        QVERIFY(text.contains(QStringLiteral("The list to read.")));
    }
}

QTEST_GUILESS_MAIN(TestProgramEntry)
#include "tst_program_entry.moc"
