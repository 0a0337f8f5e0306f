#pragma once

#include "ProcFsReader.h"

#include <QString>
#include <QVector>

// One running process as the main-program check sees it.
struct ProcessEntry
{
    qint64 pid = 0;
    QString name; // executable file name, without folder
};

// Source of the running processes, in the system's listing order.
class ProcessList
{
public:
    virtual ~ProcessList();
    virtual QVector<ProcessEntry> processes() const = 0;
};

// Reads the processes from /proc, in ascending process id order. A process
// is named by the file it was started from; a script started by its
// interpreter is named by the script.
class ProcProcessList : public ProcessList
{
public:
    explicit ProcProcessList(const QString &procRoot = QStringLiteral("/proc"));
    QVector<ProcessEntry> processes() const override;

private:
    ProcFsReader m_reader;
};
