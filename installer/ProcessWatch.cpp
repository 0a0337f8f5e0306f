#include "ProcessWatch.h"

#include "ProcessSource.h"

#include <QFile>

namespace {

QByteArray fileNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// Interpreters that run a setup script in their own name: a script whose
// first line is "#!/usr/bin/env sh" runs as "sh ./setup", so the kernel
// knows the process as "sh" and only the arguments name the script.
bool isScriptInterpreter(const QByteArray &shortName)
{
    static const char *const kInterpreters[] = {"sh", "bash", "dash", "zsh", "ksh", "mksh", "csh",
                                                "tcsh", "fish", "perl", "ruby", "node", "tclsh",
                                                "wish", "lua", "php"};
    for (const char *interpreter : kInterpreters) {
        if (shortName == interpreter)
            return true;
    }
    return shortName.startsWith("python");
}

// The file name of the script an interpreter runs: the first argument after
// the interpreter's own name that is not an option.
QByteArray scriptNameOf(const QByteArray &args)
{
    const QList<QByteArray> words = args.split('\0');
    for (int i = 1; i < words.size(); ++i) {
        if (!words.at(i).isEmpty() && !words.at(i).startsWith('-'))
            return fileNameOf(words.at(i));
    }
    return {};
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
        // beginning, or an interpreter that may run the setup script, can
        // match; the arguments are read for those alone.
        const bool interpreter = isScriptInterpreter(shortName) && wanted != shortName;
        if (!interpreter
            && (shortName.size() < kShortNameLimit ? shortName != wanted : !wanted.startsWith(shortName)))
            continue;
        if (!source.readCommandLine(pid, args) || args.isEmpty())
            continue;
        if (interpreter ? scriptNameOf(args) == wanted : processBaseName(shortName, args) == wanted)
            return true;
    }
    return false;
}
