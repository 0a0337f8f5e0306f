#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Reads the process table from /proc (or from a folder laid out like it),
// for the programs that look for other programs by name: the launcher's
// main-program check and the installer's setup watch. It only reads; each
// program keeps its own rule for which process counts. A process may end at
// any moment, so every read of one can fail.
class ProcFsReader
{
public:
    explicit ProcFsReader(const QString &root = QStringLiteral("/proc"));

    // Identifiers of all processes at this moment, in the folder's order;
    // empty when they cannot be listed.
    QVector<qint64> processIds() const;
    // A whole entry of one process ("comm", "cmdline", ...). False when the
    // process has ended or the entry cannot be read.
    bool readEntry(qint64 pid, const char *entry, QByteArray &content) const;
    // Where the process's "exe" link points, as the kernel shows it (a
    // replaced file ends in " (deleted)"); empty when it cannot be read, as
    // for other users' processes and kernel threads.
    QByteArray executableLink(qint64 pid) const;

private:
    QByteArray entryPath(qint64 pid, const char *entry) const;

    QByteArray m_root;
};
