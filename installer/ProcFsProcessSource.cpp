#include "ProcFsProcessSource.h"

ProcFsProcessSource::ProcFsProcessSource(const QString &root)
    : m_reader(root)
{
}

QVector<qint64> ProcFsProcessSource::processIds() const
{
    return m_reader.processIds();
}

bool ProcFsProcessSource::readShortName(qint64 pid, QByteArray &name) const
{
    if (!m_reader.readEntry(pid, "comm", name))
        return false;
    if (name.endsWith('\n'))
        name.chop(1);
    return true;
}

bool ProcFsProcessSource::readCommandLine(qint64 pid, QByteArray &args) const
{
    return m_reader.readEntry(pid, "cmdline", args);
}

bool ProcFsProcessSource::readExecutablePath(qint64 pid, QByteArray &path) const
{
    path = m_reader.executableLink(pid);
    if (path.isEmpty())
        return false;
    // A program file replaced or removed while it runs is shown with this
    // mark; the process still runs under the file's name.
    static const QByteArray deleted(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return true;
}

const ProcessSource &systemProcesses()
{
    static const ProcFsProcessSource source;
    return source;
}
