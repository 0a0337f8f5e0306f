#pragma once

#include "ProcessSource.h"

#include <QMap>

// A process table written by the test. A process can be made to fail either
// read, as one that ends or turns unreadable in the middle of a scan does.
class FakeProcessSource final : public ProcessSource
{
public:
    struct Process
    {
        QByteArray shortName;
        QByteArray args;
        QByteArray executable; // empty: cannot be read
        bool shortNameReadable = true;
        bool argsReadable = true;
    };

    void add(qint64 pid, const QByteArray &shortName, const QByteArray &args,
             const QByteArray &executable = {});
    void addVanished(qint64 pid, bool beforeShortName, const QByteArray &shortName = {});

    QVector<qint64> processIds() const override;
    bool readShortName(qint64 pid, QByteArray &name) const override;
    bool readCommandLine(qint64 pid, QByteArray &args) const override;
    bool readExecutablePath(qint64 pid, QByteArray &path) const override;

    // Processes whose arguments the watch asked for.
    mutable QVector<qint64> argsRead;

private:
    QMap<qint64, Process> m_processes;
};
