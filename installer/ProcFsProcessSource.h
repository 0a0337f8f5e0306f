#pragma once

#include "ProcFsReader.h"
#include "ProcessSource.h"

#include <QByteArray>
#include <QString>

// Reads the process table from /proc (or from a directory laid out like it).
class ProcFsProcessSource final : public ProcessSource
{
public:
    explicit ProcFsProcessSource(const QString &root = QStringLiteral("/proc"));

    QVector<qint64> processIds() const override;
    bool readShortName(qint64 pid, QByteArray &name) const override;
    bool readCommandLine(qint64 pid, QByteArray &args) const override;
    bool readExecutablePath(qint64 pid, QByteArray &path) const override;

private:
    ProcFsReader m_reader;
};

// The process table of the running system.
const ProcessSource &systemProcesses();
