#include "SingleInstanceGuard.h"

SingleInstanceGuard::SingleInstanceGuard(const QString &key)
    : m_memory(key)
{
}

QString SingleInstanceGuard::launcherKey()
{
    // 21 characters, two of them outside ASCII, so that no other program
    // picks the same key by chance.
    return QString::fromLatin1("QuorvelEnv\xA7Istanza\xB0Un");
}

bool SingleInstanceGuard::acquire()
{
    if (m_memory.create(1, QSharedMemory::ReadOnly))
        return true;
    if (m_memory.error() != QSharedMemory::AlreadyExists)
        return false;
    // A launcher that was killed leaves its segment behind on Linux, and that
    // segment would keep every later launcher from starting. Only retry when
    // the segment turned out to be such a leftover.
    if (!clearStaleSegment())
        return false;
    return m_memory.create(1, QSharedMemory::ReadOnly);
}

bool SingleInstanceGuard::clearStaleSegment()
{
    // Attaching and detaching again removes the segment when nobody else is
    // attached: a live launcher stays attached to its segment for its whole
    // run, so its lock survives this probe.
    QSharedMemory probe(m_memory.key());
    if (!probe.attach(QSharedMemory::ReadOnly))
        return probe.error() == QSharedMemory::NotFound;
    probe.detach();
    QSharedMemory check(m_memory.key());
    if (check.attach(QSharedMemory::ReadOnly)) {
        check.detach();
        return false;
    }
    return true;
}
