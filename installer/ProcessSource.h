#pragma once

#include <QByteArray>
#include <QVector>

// What the setup watch needs to know about the processes of the system. The
// running system is read through ProcFsProcessSource; tests feed their own
// tables. A process may end at any moment, so every read can fail.
class ProcessSource
{
public:
    virtual ~ProcessSource() = default;
    // Identifiers of all processes at this moment; empty when they cannot be listed.
    virtual QVector<qint64> processIds() const = 0;
    // The kernel's short name of the process (at most 15 bytes, no line feed).
    // False when the process has ended or cannot be read.
    virtual bool readShortName(qint64 pid, QByteArray &name) const = 0;
    // The process's arguments as the kernel keeps them: NUL-terminated strings,
    // empty for kernel threads and for processes that have ended but not yet
    // been collected by their parent. False when the process cannot be read.
    virtual bool readCommandLine(qint64 pid, QByteArray &args) const = 0;
    // The full path of the program file the process runs, as the kernel
    // resolved it at its start (links followed). False when it cannot be
    // read: another user's process, a kernel thread, a process that ended.
    virtual bool readExecutablePath(qint64 pid, QByteArray &path) const = 0;
};
