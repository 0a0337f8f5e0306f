#include "ProcessWatch.h"

#include "ProcessSource.h"

#include <QFile>

namespace {

QByteArray fileNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace

QByteArray processBaseName(const QByteArray &shortName, const QByteArray &args)
{
    if (shortName.isEmpty() || args.isEmpty())
        return {};
    if (shortName.size() < kShortNameLimit)
        return shortName;
    int start = 0;
    while (start < args.size()) {
        int end = args.indexOf('\0', start);
        if (end < 0)
            end = args.size();
        const QByteArray candidate = fileNameOf(args.mid(start, end - start));
        if (candidate.startsWith(shortName))
            return candidate;
        start = end + 1;
    }
    return shortName;
}

bool isProcessRunning(const QString &name, const ProcessSource &source)
{
    const QByteArray wanted = QFile::encodeName(name);
    if (wanted.isEmpty())
        return false;
    QByteArray shortName;
    QByteArray args;
    const auto pids = source.processIds();
    for (const qint64 pid : pids) {
        if (pid <= 0 || !source.readShortName(pid, shortName) || shortName.isEmpty())
            continue;
        // Only a process whose short name is the wanted name, or its cut
        // beginning, can match; the arguments are read for those alone.
        if (shortName.size() < kShortNameLimit ? shortName != wanted : !wanted.startsWith(shortName))
            continue;
        if (!source.readCommandLine(pid, args))
            continue;
        if (processBaseName(shortName, args) == wanted)
            return true;
    }
    return false;
}
