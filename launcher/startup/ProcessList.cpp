#include "ProcessList.h"

#include <QFileInfo>

#include <algorithm>

ProcessList::~ProcessList() = default;

ProcProcessList::ProcProcessList(const QString &procRoot)
    : m_reader(procRoot)
{
}

QVector<ProcessEntry> ProcProcessList::processes() const
{
    QVector<ProcessEntry> result;
    const QVector<qint64> pids = m_reader.processIds();
    for (const qint64 pid : pids) {
        if (pid <= 0)
            continue;
        ProcessEntry process;
        process.pid = pid;
        // The kernel's command name: the file name the process was started
        // from, cut to 15 bytes.
        QByteArray commText;
        const QString comm = m_reader.readEntry(pid, "comm", commText)
            ? QString::fromLocal8Bit(commText.left(64)).trimmed()
            : QString();
        // The executable's own name is complete; the command name is the
        // fallback for processes whose executable link cannot be read.
        const QByteArray exe = m_reader.executableLink(pid);
        process.name = comm;
        if (!exe.isEmpty()) {
            QString exeName = QFileInfo(QFile::decodeName(exe)).fileName();
            exeName.remove(QStringLiteral(" (deleted)"));
            // Interpreters run scripts: the command name then tells the script.
            if (comm.isEmpty() || exeName.startsWith(comm))
                process.name = exeName;
        }
        if (!process.name.isEmpty())
            result.append(process);
    }
    std::sort(result.begin(), result.end(),
              [](const ProcessEntry &a, const ProcessEntry &b) { return a.pid < b.pid; });
    return result;
}
