#include "StreamRecording.h"

#include <QtEndian>
#include <limits>

using namespace StreamRecording;

namespace {

// Header fields after H that version 1 defines: start, port, address length.
constexpr int kKnownHeaderFields = 8 + 2 + 2;
constexpr int kMaxAddressBytes = 1024;

void PutU16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void PutU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void PutU64(QByteArray &out, quint64 value)
{
    char bytes[8];
    qToLittleEndian(value, bytes);
    out.append(bytes, 8);
}

} // namespace

bool RecordingWriter::Open(const QString &path, const Header &header, QString *error)
{
    m_file = std::make_unique<QSaveFile>(path);
    m_lastMicros = 0;
    m_written = 0;
    m_failed = false;
    if (!m_file->open(QIODevice::WriteOnly)) {
        *error = m_file->errorString();
        m_file.reset();
        return false;
    }
    QByteArray address = header.address.toUtf8().left(kMaxAddressBytes);
    QByteArray fields;
    PutU64(fields, quint64(header.started.toMSecsSinceEpoch()));
    PutU16(fields, header.port);
    PutU16(fields, quint16(address.size()));
    fields.append(address);

    QByteArray head(kMagic, kMagicSize);
    PutU16(head, kVersion);
    PutU16(head, quint16(fields.size()));
    head.append(fields);
    if (!Write(head)) {
        *error = m_file->errorString();
        Discard();
        return false;
    }
    return true;
}

bool RecordingWriter::Write(const QByteArray &bytes)
{
    if (m_failed || !m_file)
        return false;
    if (m_file->write(bytes) != bytes.size()) {
        m_failed = true;
        return false;
    }
    m_written += bytes.size();
    return true;
}

bool RecordingWriter::Append(qint64 micros, const QByteArray &bytes)
{
    m_lastMicros = qMax(m_lastMicros, micros);
    for (int offset = 0; offset < bytes.size(); offset += int(kMaxRecordBytes)) {
        const int length = qMin(bytes.size() - offset, int(kMaxRecordBytes));
        QByteArray record;
        record.reserve(kRecordHeadSize + length);
        PutU64(record, quint64(m_lastMicros));
        PutU32(record, quint32(length));
        record.append(bytes.constData() + offset, length);
        if (!Write(record))
            return false;
    }
    return true;
}

bool RecordingWriter::Commit(QString *error)
{
    if (!m_file) {
        *error = QStringLiteral("the recording is not open");
        return false;
    }
    if (m_failed) {
        *error = m_file->errorString();
        Discard();
        return false;
    }
    const bool committed = m_file->commit();
    if (!committed)
        *error = m_file->errorString();
    m_file.reset();
    return committed;
}

void RecordingWriter::Discard()
{
    if (m_file)
        m_file->cancelWriting();
    m_file.reset();
}

bool RecordingReader::Fail(const QString &error)
{
    m_error = error;
    return false;
}

bool RecordingReader::Open(const QString &path, QString *error)
{
    m_error.clear();
    m_header = Header();
    m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, m_file.errorString());
        return false;
    }
    const QByteArray head = m_file.read(kMagicSize + 4);
    if (head.size() < kMagicSize || head.left(kMagicSize) != QByteArray(kMagic, kMagicSize)) {
        *error = QStringLiteral("%1 is not a screen recording").arg(path);
        return false;
    }
    if (head.size() < kMagicSize + 4) {
        *error = QStringLiteral("%1: the recording is truncated in its header").arg(path);
        return false;
    }
    const auto *raw = reinterpret_cast<const uchar *>(head.constData()) + kMagicSize;
    m_header.version = qFromLittleEndian<quint16>(raw);
    const quint16 fieldBytes = qFromLittleEndian<quint16>(raw + 2);
    if (m_header.version == 0 || m_header.version > kVersion) {
        *error = QStringLiteral("%1: recording format version %2 is not one this program reads (up to %3)")
                     .arg(path)
                     .arg(m_header.version)
                     .arg(kVersion);
        return false;
    }
    const QByteArray fields = m_file.read(fieldBytes);
    if (fields.size() < fieldBytes) {
        *error = QStringLiteral("%1: the recording is truncated in its header").arg(path);
        return false;
    }
    const auto *f = reinterpret_cast<const uchar *>(fields.constData());
    const int addressBytes = fields.size() >= kKnownHeaderFields ? qFromLittleEndian<quint16>(f + 10) : -1;
    if (addressBytes < 0 || kKnownHeaderFields + addressBytes > fields.size()) {
        *error = QStringLiteral("%1: the recording header is damaged").arg(path);
        return false;
    }
    m_header.started = QDateTime::fromMSecsSinceEpoch(qint64(qFromLittleEndian<quint64>(f)), Qt::UTC);
    m_header.port = qFromLittleEndian<quint16>(f + 8);
    m_header.address = QString::fromUtf8(fields.constData() + kKnownHeaderFields, addressBytes);
    m_firstRecord = m_file.pos();
    m_lastMicros = 0;
    return true;
}

bool RecordingReader::Next(Chunk *chunk)
{
    if (Failed() || !m_file.isOpen())
        return false;
    const qint64 at = m_file.pos();
    const QByteArray head = m_file.read(kRecordHeadSize);
    if (head.isEmpty())
        return false; // the end, between two records
    if (head.size() < kRecordHeadSize)
        return Fail(QStringLiteral("the recording is truncated at byte %1").arg(at));
    const auto *raw = reinterpret_cast<const uchar *>(head.constData());
    const quint64 micros = qFromLittleEndian<quint64>(raw);
    const quint32 length = qFromLittleEndian<quint32>(raw + 8);
    if (length == 0 || length > kMaxRecordBytes || micros > quint64(std::numeric_limits<qint64>::max())
        || qint64(micros) < m_lastMicros)
        return Fail(QStringLiteral("the recording has a damaged record at byte %1").arg(at));
    if (m_file.size() - m_file.pos() < qint64(length))
        return Fail(QStringLiteral("the recording is truncated at byte %1").arg(at));
    chunk->bytes = m_file.read(length);
    if (chunk->bytes.size() != int(length))
        return Fail(QStringLiteral("the recording is truncated at byte %1").arg(at));
    chunk->micros = qint64(micros);
    m_lastMicros = chunk->micros;
    return true;
}

bool RecordingReader::Rewind()
{
    m_error.clear();
    m_lastMicros = 0;
    return m_file.isOpen() && m_file.seek(m_firstRecord);
}

bool RecordingReader::Check(const QString &path, Summary *summary, QString *error)
{
    RecordingReader reader;
    if (!reader.Open(path, error))
        return false;
    Summary result;
    result.header = reader.Header();
    Chunk chunk;
    while (reader.Next(&chunk)) {
        ++result.records;
        result.bytes += chunk.bytes.size();
        result.lastMicros = chunk.micros;
    }
    if (reader.Failed()) {
        *error = QStringLiteral("%1: %2").arg(path, reader.Error());
        return false;
    }
    *summary = result;
    return true;
}
