#include "FakeProcessSource.h"

void FakeProcessSource::add(qint64 pid, const QByteArray &shortName, const QByteArray &args,
                            const QByteArray &executable)
{
    m_processes.insert(pid, Process{shortName, args, executable});
}

void FakeProcessSource::addVanished(qint64 pid, bool beforeShortName, const QByteArray &shortName)
{
    Process gone{shortName, {}, {}};
    gone.shortNameReadable = !beforeShortName;
    gone.argsReadable = false;
    m_processes.insert(pid, gone);
}

QVector<qint64> FakeProcessSource::processIds() const
{
    return QVector<qint64>::fromList(m_processes.keys());
}

bool FakeProcessSource::readShortName(qint64 pid, QByteArray &name) const
{
    const auto it = m_processes.constFind(pid);
    if (it == m_processes.constEnd() || !it->shortNameReadable)
        return false;
    name = it->shortName;
    return true;
}

bool FakeProcessSource::readCommandLine(qint64 pid, QByteArray &args) const
{
    argsRead.append(pid);
    const auto it = m_processes.constFind(pid);
    if (it == m_processes.constEnd() || !it->argsReadable)
        return false;
    args = it->args;
    return true;
}

bool FakeProcessSource::readExecutablePath(qint64 pid, QByteArray &path) const
{
    const auto it = m_processes.constFind(pid);
    if (it == m_processes.constEnd() || it->executable.isEmpty())
        return false;
    path = it->executable;
    return true;
}
