#pragma once

#include <QSharedMemory>
#include <QString>

// Keeps one launcher running at a time. The lock is a 1-byte shared-memory
// segment that is never read or written: whoever created it holds the lock
// until the guard is destroyed.
class SingleInstanceGuard
{
public:
    explicit SingleInstanceGuard(const QString &key = launcherKey());

    // Takes the lock. False when another live launcher holds it.
    bool acquire();
    bool isHeld() const { return m_memory.isAttached(); }

    // The key every launcher process shares.
    static QString launcherKey();

private:
    bool clearStaleSegment();

    QSharedMemory m_memory;

    Q_DISABLE_COPY(SingleInstanceGuard)
};
