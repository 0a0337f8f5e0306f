#include "LauncherFixtures.h"
#include "records/QMacXml.h"
#include "records/QMachine.h"
#include "records/QProject.h"

#include <QDataStream>
#include <QtTest>

using Entries = QVector<QPair<QString, QString>>;

class TestRecords : public QObject
{
    Q_OBJECT

private slots:
    void machineFileIds_data();
    void machineFileIds();
    void macXmlFileIds_data();
    void macXmlFileIds();
    void nestingGuardOnlyCountsDepth_data();
    void nestingGuardOnlyCountsDepth();
    void manyEntriesCostNoMemory();
    void oversizedDescriptionsAreDamaged();
    void fileTypeSelectsReader();

private:
    QTemporaryDir m_dir;
};

namespace {

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << value;
    return bytes;
}

} // namespace

void TestRecords::machineFileIds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("message");

    const QString key = QStringLiteral("[DESCRIZIONE] MACHID");
    QTest::newRow("valid") << machineFile(1, {{QStringLiteral("[GENERALE] NOME"), QStringLiteral("Rapida")},
                                              {key, QStringLiteral("17")}})
                           << 17 << QString();
    QTest::newRow("repeated key: last in file wins")
        << machineFile(1, {{key, QStringLiteral("5")}, {key, QStringLiteral("9")}}) << 9 << QString();
    QTest::newRow("no MACHID entry") << machineFile(1, {{QStringLiteral("[DESCRIZIONE] NOME"), QStringLiteral("3")}})
                                     << 0 << QString();
    QTest::newRow("other section") << machineFile(1, {{QStringLiteral("[GENERALE] MACHID"), QStringLiteral("3")}})
                                   << 0 << QString();
    QTest::newRow("non-numeric id") << machineFile(1, {{key, QStringLiteral("abc")}}) << 0 << QString();
    const QString versionZero = QStringLiteral("Classe:\tQMachine\nVersione:\t1\nVersione caricata:\t0\n"
                                               "Funzione:\toperator>>\n\nMessaggio:\tVersione oggetto sconosciuta\n");
    QTest::newRow("empty file") << QByteArray() << 0 << versionZero;
    QTest::newRow("version cut short") << QByteArray("\0\0", 2) << 0 << versionZero;

    QByteArray truncated = machineFile(1, {{key, QStringLiteral("17")}});
    truncated.chop(3);
    QTest::newRow("truncated entry") << truncated << 0 << QString();

    QTest::newRow("huge entry count")
        << QByteArray(bigEndian32(1) + bigEndian32(0xFFFFFFFF) + machineFile(1, {{key, QStringLiteral("4")}}).mid(8))
        << 0 << QString();
    QTest::newRow("huge string length")
        << QByteArray(bigEndian32(1) + bigEndian32(1) + bigEndian32(0x7FFFFFFE) + QByteArray(64, 'x')) << 0
        << QString();

    QTest::newRow("version 2") << machineFile(2, {{key, QStringLiteral("17")}}) << 0
                               << QStringLiteral("Classe:\tQMachine\nVersione:\t1\nVersione caricata:\t2\n"
                                                 "Funzione:\toperator>>\n\nMessaggio:\tVersione oggetto sconosciuta\n");
    QTest::newRow("version -1") << machineFile(-1, {{key, QStringLiteral("17")}}) << 0
                                << QStringLiteral("Classe:\tQMachine\nVersione:\t1\nVersione caricata:\t4294967295\n"
                                                  "Funzione:\toperator>>\n\nMessaggio:\tVersione oggetto sconosciuta\n");
}

void TestRecords::machineFileIds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, id);
    QFETCH(QString, message);

    const QString path = m_dir.filePath(QStringLiteral("Macchina.mac"));
    writeFile(path, bytes);
    RecordingMessages messages;
    QProject project;
    QCOMPARE(project.readMachineFile(path), id);
    if (message.isEmpty()) {
        QVERIFY(messages.boxes.isEmpty());
    } else {
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes.at(0).kind, QStringLiteral("critical"));
        QCOMPARE(messages.boxes.at(0).title, QStringLiteral("Errore"));
        QCOMPARE(messages.boxes.at(0).text, message);
    }
}

void TestRecords::macXmlFileIds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("message");

    QTest::newRow("valid") << macXmlFile(1, QStringLiteral("<MACCHINA><BODY><MACUID>12</MACUID></BODY></MACCHINA>"))
                           << 12 << QString();
    QTest::newRow("second BODY has the id")
        << macXmlFile(1, QStringLiteral("<M><BODY><NOME>A</NOME></BODY><X><BODY><MACUID>12</MACUID></BODY></X></M>"))
        << 12 << QString();
    QTest::newRow("first MACUID not a number ends the search")
        << macXmlFile(1, QStringLiteral("<M><BODY><MACUID>abc</MACUID></BODY><BODY><MACUID>5</MACUID></BODY></M>"))
        << 0 << QString();
    QTest::newRow("MACUID not a direct child")
        << macXmlFile(1, QStringLiteral("<M><BODY><X><MACUID>5</MACUID></X></BODY></M>")) << 0 << QString();
    QTest::newRow("first of several MACUID")
        << macXmlFile(1, QStringLiteral("<BODY><MACUID>200</MACUID><MACUID>3</MACUID></BODY>")) << 200 << QString();
    QTest::newRow("no BODY") << macXmlFile(1, QStringLiteral("<M><MACUID>5</MACUID></M>")) << 0 << QString();
    QTest::newRow("not XML") << macXmlFile(1, QStringLiteral("MACUID=5 BODY")) << 0 << QString();
    QTest::newRow("not well formed") << macXmlFile(1, QStringLiteral("<BODY><MACUID>5</BODY>")) << 0 << QString();
    QTest::newRow("null text") << QByteArray(bigEndian32(1) + bigEndian32(0xFFFFFFFF)) << 0 << QString();
    QTest::newRow("odd text length") << QByteArray(bigEndian32(1) + bigEndian32(3) + "abc") << 0 << QString();
    QTest::newRow("text longer than file") << QByteArray(bigEndian32(1) + bigEndian32(0xFFFFFFF0) + "ab") << 0
                                           << QString();
    QTest::newRow("version 3") << macXmlFile(3, QStringLiteral("<BODY><MACUID>12</MACUID></BODY>")) << 0
                               << QStringLiteral("Classe:\tQMacXml\nVersione:\t1\nVersion caricata:\t3\n"
                                                 "Funzione:\toperator>>\n\nMessaggio:\tVersione oggetto sconosciuta\n");
}

void TestRecords::macXmlFileIds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, id);
    QFETCH(QString, message);

    const QString path = m_dir.filePath(QStringLiteral("Macchina.xml"));
    writeFile(path, bytes);
    RecordingMessages messages;
    QProject project;
    QCOMPARE(project.readMacXmlFile(path), id);
    if (message.isEmpty()) {
        QVERIFY(messages.boxes.isEmpty());
    } else {
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes.at(0).kind, QStringLiteral("plain"));
        QCOMPARE(messages.boxes.at(0).title, QString());
        QCOMPARE(messages.boxes.at(0).text, message);
    }
}

void TestRecords::nestingGuardOnlyCountsDepth_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<int>("id");

    const QString body = QStringLiteral("<BODY><MACUID>7</MACUID></BODY>");
    auto nested = [&body](int levels, const QString &open, const QString &close) -> QString {
        return open.repeated(levels - 1) + body + close.repeated(levels - 1);
    };
    // BODY is the deepest element that opens a level; MACUID one more.
    QTest::newRow("depth 999") << nested(998, QStringLiteral("<a>"), QStringLiteral("</a>")) << 7;
    QTest::newRow("depth 1000") << nested(999, QStringLiteral("<a>"), QStringLiteral("</a>")) << 7;
    QTest::newRow("depth 1001") << nested(1000, QStringLiteral("<a>"), QStringLiteral("</a>")) << 0;
    QTest::newRow("depth 200000") << nested(200000, QStringLiteral("<a>"), QStringLiteral("</a>")) << 0;
    QTest::newRow("depth 200000, prefixed, XML 1.1")
        << QStringLiteral("<?xml version=\"1.1\"?>") + nested(200000, QStringLiteral("<q:a>"), QStringLiteral("</q:a>"))
        << 0;
    QTest::newRow("wide rather than deep")
        << QStringLiteral("<M>") + QStringLiteral("<a/><b x='1'></b>").repeated(20000) + body + QStringLiteral("</M>")
        << 7;

    // Documents a reader without namespace processing takes, whatever their
    // prefixes and version.
    QTest::newRow("undeclared attribute prefix")
        << QStringLiteral("<MAC xsi:noNamespaceSchemaLocation=\"mac.xsd\">") + body + QStringLiteral("</MAC>") << 7;
    QTest::newRow("prefixed root element")
        << QStringLiteral("<q:MAC q:ver=\"2\">") + body + QStringLiteral("</q:MAC>") << 7;
    QTest::newRow("XML 1.1 declaration")
        << QStringLiteral("<?xml version=\"1.1\" encoding=\"UTF-8\"?><MAC>") + body + QStringLiteral("</MAC>") << 7;
    // Markup whose brackets are no elements must not count as levels.
    const QString noise = QStringLiteral("<!-- <a><a><a> --><![CDATA[<a><a>]]><?pi <a> ?><e t=\"x/>\" u='>'/>");
    QTest::newRow("comments, CDATA, instructions, quoted brackets")
        << QStringLiteral("<!DOCTYPE a [<!ELEMENT a ANY><!ENTITY lt2 \"<a>\">]>")
               + nested(999, QStringLiteral("<a>") + noise, QStringLiteral("</a>"))
        << 7;
    // Apostrophes in markup before the nesting open no quoted text.
    QTest::newRow("apostrophe in a DOCTYPE comment, depth 100000")
        << QStringLiteral("<!DOCTYPE ROOT [ <!-- it's a note --> ]>")
               + nested(100000, QStringLiteral("<a>"), QStringLiteral("</a>"))
        << 0;
    QTest::newRow("apostrophe in an instruction, depth 999")
        << QStringLiteral("<?nota it's?>") + nested(999, QStringLiteral("<a>"), QStringLiteral("</a>")) << 7;
    // Stray end tags give no room for deeper nesting further on.
    QTest::newRow("stray end tags before deep nesting")
        << QStringLiteral("</a>").repeated(5000) + nested(5000, QStringLiteral("<a>"), QStringLiteral("</a>")) << 0;
}

void TestRecords::nestingGuardOnlyCountsDepth()
{
    QFETCH(QString, xml);
    QFETCH(int, id);
    QCOMPARE(machineIdFromXml(xml), id);
    // The same document read from a description file.
    const QString path = m_dir.filePath(QStringLiteral("nested.xml"));
    writeFile(path, macXmlFile(1, xml));
    RecordingMessages messages;
    QProject project;
    QCOMPARE(project.readMacXmlFile(path), id);
    QVERIFY(messages.boxes.isEmpty());
}

void TestRecords::oversizedDescriptionsAreDamaged()
{
    // Bytes after a description's fields are never read, so only the size
    // of the file decides; the files are sparse.
    const QString path = m_dir.filePath(QStringLiteral("grande.mac"));
    for (const int type : {1, 2}) {
        writeFile(path, type == 1 ? machineFile(1, {{QStringLiteral("[DESCRIZIONE] MACHID"), QStringLiteral("12")}})
                                  : macXmlFile(1, QStringLiteral("<BODY><MACUID>12</MACUID></BODY>")));
        QFile file(path);
        QProject project;
        QVERIFY(file.resize(QProject::maxDescriptionBytes));
        QCOMPARE(project.readMachineId(m_dir.path(), QStringLiteral("grande.mac"), type), 12);
        QVERIFY(file.resize(QProject::maxDescriptionBytes + 1));
        QCOMPARE(project.readMachineId(m_dir.path(), QStringLiteral("grande.mac"), type), 0);
    }
}

void TestRecords::manyEntriesCostNoMemory()
{
    const QString key = QStringLiteral("[DESCRIZIONE] MACHID");
    // A million empty entries around two MACHID entries: the last one counts.
    QByteArray bytes = bigEndian32(1) + bigEndian32(1000002);
    const QByteArray empty(8, '\0');
    const QByteArray emptyEntries = empty.repeated(500000);
    auto entry = [](const QString &k, const QString &v) -> QByteArray {
        QByteArray b;
        QDataStream stream(&b, QIODevice::WriteOnly);
        stream << k << v;
        return b;
    };
    bytes += emptyEntries + entry(key, QStringLiteral("5")) + emptyEntries + entry(key, QStringLiteral("9"));
    const QString path = m_dir.filePath(QStringLiteral("many.mac"));
    writeFile(path, bytes);

    RecordingMessages messages;
    QProject project;
    QCOMPARE(project.readMachineFile(path), 9);

    // Read for the machine id, a description keeps that entry alone.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QDataStream stream(&file);
    QMachine machine;
    machine.keepOnly(QStringLiteral("DESCRIZIONE"), QStringLiteral("MACHID"));
    stream >> machine;
    QCOMPARE(stream.status(), QDataStream::Ok);
    QCOMPARE(machine.entryCount(), 1);
    int id = 0;
    QVERIFY(machine.getInt(QStringLiteral("DESCRIZIONE"), QStringLiteral("MACHID"), id, 0));
    QCOMPARE(id, 9);

    // 4294967295 entries promised, 64 MiB of zero bytes given (a sparse
    // file): far fewer entries than promised, so the file is unreadable.
    QFile sparse(m_dir.filePath(QStringLiteral("sparse.mac")));
    QVERIFY(sparse.open(QIODevice::WriteOnly));
    sparse.write(bigEndian32(1) + bigEndian32(0xFFFFFFFF));
    QVERIFY(sparse.resize(sparse.size() + 64 * 1024 * 1024));
    sparse.close();
    QCOMPARE(project.readMachineFile(sparse.fileName()), 0);
    QVERIFY(messages.boxes.isEmpty());
}

void TestRecords::fileTypeSelectsReader()
{
    const QString folder = m_dir.path();
    writeFile(m_dir.filePath(QStringLiteral("one.mac")),
              machineFile(1, {{QStringLiteral("[DESCRIZIONE] MACHID"), QStringLiteral("21")}}));
    writeFile(m_dir.filePath(QStringLiteral("two.mac")),
              macXmlFile(1, QStringLiteral("<BODY><MACUID>22</MACUID></BODY>")));

    RecordingMessages messages;
    QProject project;
    QCOMPARE(project.readMachineId(folder, QStringLiteral("one.mac"), 1), 21);
    QCOMPARE(project.readMachineId(folder, QStringLiteral("two.mac"), 2), 22);
    // The other reader on the same file: a type-2 file read as type 1 has a
    // string where the map count is expected, and the other way round.
    QCOMPARE(project.readMachineId(folder, QStringLiteral("two.mac"), 1), 0);
    QCOMPARE(project.readMachineId(folder, QStringLiteral("one.mac"), 2), 0);
    for (int type : {0, 3, -1, 99})
        QCOMPARE(project.readMachineId(folder, QStringLiteral("one.mac"), type), 0);
    QCOMPARE(project.readMachineId(folder, QStringLiteral("missing.mac"), 1), 0);
    QCOMPARE(project.readMachineId(folder, QString(), 1), 0);
    QVERIFY(messages.boxes.isEmpty());
}

QTEST_MAIN(TestRecords)
#include "tst_launcher_records.moc"
