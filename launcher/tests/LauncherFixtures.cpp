#include "LauncherFixtures.h"

#include "startup/LauncherSettings.h"
#include "SettingsFileFormat.h"

#include <QDataStream>
#include <QFile>
#include <QSettings>

SettingsSandbox::SettingsSandbox()
{
    QSettings::setPath(SettingsFileFormat::format(), QSettings::SystemScope, m_dir.filePath(QStringLiteral("system")));
    QSettings::setPath(SettingsFileFormat::format(), QSettings::UserScope, m_dir.filePath(QStringLiteral("user")));
}

std::unique_ptr<QSettings> SettingsSandbox::machineStore() const
{
    return LauncherSettings::openMachineStore();
}

std::unique_ptr<QSettings> SettingsSandbox::userStore() const
{
    return LauncherSettings::openUserStore();
}

void SettingsSandbox::addMachine(const QString &name, const QVariantMap &values) const
{
    const auto store = machineStore();
    store->beginGroup(QStringLiteral("Machines"));
    store->beginGroup(name);
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        store->setValue(it.key(), it.value());
    store->endGroup();
    store->endGroup();
    store->sync();
}

void writeRecorderProgram(const QString &programPath, const QString &recordFile, int sleepSeconds)
{
    // The record is written to a side file and renamed, so a reader never
    // sees half of it. Fields are separated by NUL bytes.
    QByteArray script = "#!/bin/sh\n"
                        "rec='" + QFile::encodeName(recordFile) + "'\n"
                        "printf '%s\\0' \"$(pwd -P)\" \"$$\" \"$#\" \"$@\" > \"$rec.tmp\"\n"
                        "mv \"$rec.tmp\" \"$rec\"\n";
    if (sleepSeconds > 0)
        script += "exec sleep " + QByteArray::number(sleepSeconds) + "\n";
    writeFile(programPath, script);
    QFile::setPermissions(programPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool readRecordedStart(const QString &recordFile, RecordedStart &start)
{
    QFile file(recordFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QList<QByteArray> fields = file.readAll().split('\0');
    if (fields.size() < 4)
        return false;
    fields.removeLast(); // after the last separator
    start.workingDirectory = QFile::decodeName(fields.at(0));
    start.pid = fields.at(1).toLongLong();
    const int count = fields.at(2).toInt();
    start.arguments.clear();
    for (int i = 3; i < fields.size(); ++i)
        start.arguments << QFile::decodeName(fields.at(i));
    return start.arguments.size() == count;
}

namespace {

void le32(QByteArray &bytes, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}

void le16(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value & 0xFF));
    bytes.append(char(value >> 8));
}

QByteArray riffChunk(const char *id, const QByteArray &data)
{
    QByteArray chunk(id, 4);
    le32(chunk, quint32(data.size()));
    chunk += data;
    if (data.size() & 1)
        chunk.append('\0');
    return chunk;
}

QByteArray riffList(const char *type, const QByteArray &data)
{
    return riffChunk("LIST", QByteArray(type, 4) + data);
}

} // namespace

QByteArray tinyAviVideo(int frames)
{
    const int width = 16;
    const int height = 16;
    const int fps = 10;
    const int frameBytes = ((width * 3 + 3) / 4) * 4 * height;

    QByteArray mainHeader;
    for (quint32 v : {quint32(1000000 / fps), quint32(frameBytes * fps), 0u, 0x10u, quint32(frames),
                      0u, 1u, quint32(frameBytes), quint32(width), quint32(height), 0u, 0u, 0u, 0u})
        le32(mainHeader, v);

    QByteArray streamHeader("vidsDIB ", 8);
    le32(streamHeader, 0);
    le16(streamHeader, 0);
    le16(streamHeader, 0);
    for (quint32 v : {0u, 1u, quint32(fps), 0u, quint32(frames), quint32(frameBytes), 0xFFFFFFFFu, 0u})
        le32(streamHeader, v);
    for (quint16 v : {quint16(0), quint16(0), quint16(width), quint16(height)})
        le16(streamHeader, v);

    QByteArray format;
    le32(format, 40);
    le32(format, width);
    le32(format, height);
    le16(format, 1);
    le16(format, 24);
    for (quint32 v : {0u, quint32(frameBytes), 0u, 0u, 0u, 0u})
        le32(format, v);

    QByteArray movie;
    QByteArray index;
    for (int f = 0; f < frames; ++f) {
        const quint32 offset = quint32(4 + movie.size());
        movie += riffChunk("00db", QByteArray(frameBytes, char(f * 25)));
        index += QByteArray("00db", 4);
        le32(index, 0x10);
        le32(index, offset);
        le32(index, quint32(frameBytes));
    }
    const QByteArray headers = riffChunk("avih", mainHeader)
        + riffList("strl", riffChunk("strh", streamHeader) + riffChunk("strf", format));
    return riffChunk("RIFF", QByteArray("AVI ", 4) + riffList("hdrl", headers)
                                 + riffList("movi", movie) + riffChunk("idx1", index));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray machineFile(qint32 version, const QVector<QPair<QString, QString>> &entries)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_4_8);
    stream << version << quint32(entries.size());
    for (const auto &entry : entries)
        stream << entry.first << entry.second;
    return bytes;
}

QByteArray macXmlFile(qint32 version, const QString &xml)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_4_8);
    stream << version << xml;
    return bytes;
}

RecordingMessages::RecordingMessages()
{
    LauncherMessages::install(this);
}

RecordingMessages::~RecordingMessages()
{
    LauncherMessages::install(nullptr);
}

void RecordingMessages::critical(QWidget *, const QString &title, const QString &text)
{
    boxes.append({QStringLiteral("critical"), title, text});
}

void RecordingMessages::plain(const QString &text)
{
    boxes.append({QStringLiteral("plain"), QString(), text});
}

void RecordingMessages::warning(QWidget *, const QString &title, const QString &text)
{
    boxes.append({QStringLiteral("warning"), title, text});
}
