#include "KeyLog.h"

#include <cstdio>

QByteArray FormatKeyLogLine(const QTime &time, quint8 flags, quint8 code)
{
    char line[64];
    std::snprintf(line, sizeof line, "%s key flags=0x%02x code=0x%02x\n",
                  time.toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1().constData(),
                  unsigned(flags), unsigned(code));
    return QByteArray(line);
}

bool KeyLog::Open(const QString &path, QString *error)
{
    bool opened;
    if (path.isEmpty() || path == QLatin1String("-")) {
        opened = m_file.open(stdout, QIODevice::WriteOnly);
    } else {
        m_file.setFileName(path);
        // A device such as /dev/null cannot be appended to (no seeking);
        // it is simply written.
        const bool device = path.startsWith(QLatin1String("/dev/"));
        opened = m_file.open(device ? QIODevice::WriteOnly : QIODevice::WriteOnly | QIODevice::Append);
    }
    if (!opened && error)
        *error = QStringLiteral("cannot open key log %1: %2").arg(path, m_file.errorString());
    return opened;
}

void KeyLog::Write(quint8 flags, quint8 code)
{
    if (!m_file.isOpen())
        return;
    m_file.write(FormatKeyLogLine(QTime::currentTime(), flags, code));
    m_file.flush();
}
