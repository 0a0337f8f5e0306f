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

const ProcessSource &systemProcesses()
{
    static const ProcFsProcessSource source;
    return source;
}
