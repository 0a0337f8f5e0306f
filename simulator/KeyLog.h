#pragma once

#include <QFile>
#include <QString>
#include <QTime>

// Writes one line per key message a console sent, flushed at once, so an
// end-to-end test can read exactly what reached the controller:
//   "HH:MM:SS.zzz key flags=0xNN code=0xNN"
class KeyLog
{
    Q_DISABLE_COPY(KeyLog)

public:
    KeyLog() = default;

    // Opens `path` for appending; empty or "-" means standard output.
    bool Open(const QString &path, QString *error);
    void Write(quint8 flags, quint8 code);

private:
    QFile m_file;
};

QByteArray FormatKeyLogLine(const QTime &time, quint8 flags, quint8 code);
