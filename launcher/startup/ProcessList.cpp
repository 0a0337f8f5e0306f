#include "ProcessList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

ProcessList::~ProcessList() = default;

ProcProcessList::ProcProcessList(const QString &procRoot)
    : m_procRoot(procRoot)
{
}

namespace {

// The kernel's command name: the file name the process was started from,
// cut to 15 bytes.
QString commandName(const QString &processDir)
{
    QFile comm(processDir + QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(comm.read(64)).trimmed();
}

} // namespace

QVector<ProcessEntry> ProcProcessList::processes() const
{
    QVector<ProcessEntry> result;
    const QDir root(m_procRoot);
    const QStringList entries = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid <= 0)
            continue;
        const QString dir = root.filePath(entry);
        ProcessEntry process;
        process.pid = pid;
        // The executable's own name is complete; the command name is the
        // fallback for processes whose executable link cannot be read.
        const QString exe = QFileInfo(dir + QStringLiteral("/exe")).symLinkTarget();
        const QString comm = commandName(dir);
        process.name = comm;
        if (!exe.isEmpty()) {
            QString exeName = QFileInfo(exe).fileName();
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
