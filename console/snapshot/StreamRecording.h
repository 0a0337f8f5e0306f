#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <memory>

// A recording of what a controller sent on one service: every received byte
// with the moment it arrived, so that a fault can be looked at later or the
// stream served again to a console (ctrlsim --replay).
//
// File layout, integers little-endian:
//   header  8 bytes  "BRNLWREC"
//           u16      format version (1)
//           u16      H, the number of header bytes that follow
//           H bytes  u64 start of the recording, ms since 1970-01-01 UTC
//                    u16 service port
//                    u16 A, then A bytes: the controller address, UTF-8
//                    (later versions may add fields here; readers skip
//                    the header bytes they do not know)
//   records, to the end of the file, one per read from the socket:
//           u64      microseconds since the start, never decreasing
//           u32      N, 1 to 1 MiB
//           N bytes  as received
namespace StreamRecording {

constexpr char kMagic[] = "BRNLWREC";
constexpr int kMagicSize = 8;
constexpr quint16 kVersion = 1;
constexpr quint32 kMaxRecordBytes = 1024 * 1024;
// Fixed part of a record: time and length.
constexpr int kRecordHeadSize = 12;

struct Header
{
    quint16 version = kVersion;
    QString address;
    quint16 port = 0;
    QDateTime started;
};

struct Chunk
{
    qint64 micros = 0;
    QByteArray bytes;
};

// What a whole recording holds, from reading it through.
struct Summary
{
    Header header;
    qint64 records = 0;
    qint64 bytes = 0;
    qint64 lastMicros = 0;
};

} // namespace StreamRecording

// Writes a recording. The file appears only on Commit; until then, and
// after Discard, nothing is left at its path.
class RecordingWriter
{
public:
    bool Open(const QString &path, const StreamRecording::Header &header, QString *error);
    // Appends bytes received at `micros` (clamped so time never goes back);
    // more than the record limit becomes several records.
    bool Append(qint64 micros, const QByteArray &bytes);
    bool Commit(QString *error);
    void Discard();
    qint64 BytesWritten() const { return m_written; }

private:
    bool Write(const QByteArray &bytes);

    std::unique_ptr<QSaveFile> m_file;
    qint64 m_lastMicros = 0;
    qint64 m_written = 0;
    bool m_failed = false;
};

// Reads a recording record by record, so a long one costs no more memory
// than its largest record. Every length and time is checked before use: a
// file that is not a recording, is cut short or holds a damaged record is
// reported, never trusted.
class RecordingReader
{
public:
    bool Open(const QString &path, QString *error);
    const StreamRecording::Header &Header() const { return m_header; }

    // The next record; false at the end of the file or on damage, which
    // Failed() and Error() then tell apart.
    bool Next(StreamRecording::Chunk *chunk);
    bool Failed() const { return !m_error.isEmpty(); }
    QString Error() const { return m_error; }
    // Back to the first record.
    bool Rewind();

    // Reads the whole file through; false with the reason when any of it is
    // damaged.
    static bool Check(const QString &path, StreamRecording::Summary *summary, QString *error);

private:
    bool Fail(const QString &error);

    QFile m_file;
    StreamRecording::Header m_header;
    qint64 m_firstRecord = 0;
    qint64 m_lastMicros = 0;
    QString m_error;
};
