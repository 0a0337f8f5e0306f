// The platform's settings file reader, as a round trip. The input names
// machines and gives each a value; the target writes them the two ways the
// launcher's stores and the installer's ini are written, and every value
// must read back exactly:
// - with QSettings(IniFormat), in the codec the first byte picks (none, so
//   escapes; UTF-8; Latin-1), and with the reader's own writer;
// - by hand, as plain UTF-8 lines, for the names and values a person
//   writes plainly (no backslash, quotes, outer blanks, "%" or "@").
// Input: codec byte, then UTF-8 text of records separated by U+001E, each
// "name U+001F value".
#include "FuzzSupport.h"
#include "SettingsFileFormat.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QFile>
#include <QSettings>
#include <QTextCodec>

#include <algorithm>

namespace {

using Entries = QVector<QPair<QString, QString>>;

QString machineKey(const QString &name)
{
    return QStringLiteral("Machines/") + name + QStringLiteral("/Config");
}

QSettings::SettingsMap readBack(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QSettings::SettingsMap map;
    if (!SettingsFileFormat::read(buffer, map))
        FuzzSupport::Fail("a small file was refused");
    return map;
}

void expectSame(const QSettings::SettingsMap &read, const QSettings::SettingsMap &written, const char *how)
{
    if (read.size() != written.size())
        FuzzSupport::Fail(how);
    for (auto it = written.constBegin(); it != written.constEnd(); ++it) {
        if (!read.contains(it.key()) || read.value(it.key()).toString() != it.value().toString())
            FuzzSupport::Fail(how);
    }
}

void qtRoundTrip(const QSettings::SettingsMap &map, const char *codec)
{
    const QString path = FuzzSupport::WriteInputFile(nullptr, 0, QStringLiteral("qt.conf"));
    {
        QSettings qt(path, QSettings::IniFormat);
        // Written in place: a scratch file needs no safe replacement.
        qt.setAtomicSyncRequired(false);
        if (codec)
            qt.setIniCodec(codec);
        // Qt keeps the file's keys between objects; the run starts empty.
        qt.clear();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            qt.setValue(it.key(), it.value());
        qt.sync();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        FuzzSupport::Fail("QSettings wrote no file");
    expectSame(readBack(file.readAll()), map, "a file written by QSettings read back otherwise");
}

void ownRoundTrip(const QSettings::SettingsMap &map)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!SettingsFileFormat::write(buffer, map))
        FuzzSupport::Fail("the writer failed");
    expectSame(readBack(buffer.data()), map, "a file of the reader's own writer read back otherwise");
}

bool looksUtf8(const QByteArray &bytes)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0
        && std::any_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) >= 0x80; });
}

bool isPlain(const QString &text, bool name)
{
    if (text.isEmpty())
        return !name;
    if (text.at(0).isSpace() || text.at(text.size() - 1).isSpace() || text.startsWith(QLatin1Char('@')))
        return false;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            return false;
        if (name && (c == QLatin1Char('%') || c == QLatin1Char(']') || c == QLatin1Char('=')))
            return false;
    }
    return !name || text.compare(QLatin1String("general"), Qt::CaseInsensitive) != 0;
}

void handWrittenRoundTrip(const Entries &entries)
{
    QSettings::SettingsMap written;
    QByteArray file = "\xef\xbb\xbf; scritto a mano\n";
    for (const auto &entry : entries) {
        if (!isPlain(entry.first, true) || !isPlain(entry.second, false))
            continue;
        file += "[Machines\\" + entry.first.toUtf8() + "]\r\nConfig=" + entry.second.toUtf8() + '\n';
        written.insert(machineKey(entry.first), entry.second);
    }
    expectSame(readBack(file), written, "a hand-written file read back otherwise");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static const char *const codecs[] = {nullptr, "UTF-8", "ISO-8859-1"};
    const char *codec = codecs[data[0] % 3];
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), int(size - 1));

    Entries entries;
    QSettings::SettingsMap map;
    for (const QString &record : text.split(QChar(0x1e))) {
        const int split = record.indexOf(QChar(0x1f));
        // A name is one group: slashes would make more of it.
        QString name = record.left(split < 0 ? 0 : split);
        name.replace(QLatin1Char('/'), QLatin1Char('_'));
        const QString value = split < 0 ? record : record.mid(split + 1);
        entries.append({name, value});
        // A Latin-1 file has no room for other characters, and Qt's UTF-8
        // writer turns each half of a character beyond U+FFFF into U+FFFD:
        // neither can be read back, whoever reads. Latin-1 text whose bytes
        // happen to be UTF-8 ("Ã¨") reads as UTF-8 ("è"), as it must.
        if (data[0] % 3 == 2
            && (value.contains(QRegularExpression(QStringLiteral("[^\\x{0}-\\x{ff}]"))) || looksUtf8(value.toLatin1())))
            continue;
        if (data[0] % 3 == 1 && std::any_of(value.cbegin(), value.cend(), [](QChar c) { return c.isSurrogate(); }))
            continue;
        if (!name.isEmpty())
            map.insert(machineKey(name), value);
        map.insert(QStringLiteral("K") + QString::number(map.size()), value);
    }
    qtRoundTrip(map, codec);
    ownRoundTrip(map);
    handWrittenRoundTrip(entries);
    return 0;
}
