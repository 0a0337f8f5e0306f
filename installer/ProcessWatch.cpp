#include "ProcessWatch.h"

#include "ProcessSource.h"
#include "ScriptInterpreters.h"
#include "WatchLog.h"

#include <QFile>

namespace {

QByteArray fileNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The arguments as separate words; the NUL that ends the last one is not
// a further, empty word.
QList<QByteArray> wordsOf(const QByteArray &args)
{
    QList<QByteArray> words = args.split('\0');
    if (args.endsWith('\0'))
        words.removeLast();
    return words;
}

// The name of a process running the interpreter `interpreter`: the file
// name of its script, or its own name when it runs none (an interactive
// shell, a "sh -c" command string).
QByteArray interpreterRunName(const QByteArray &interpreter, const QByteArray &args)
{
    const QList<QByteArray> words = wordsOf(args);
    const int script = scriptArgumentIndex(interpreter, words);
    return script < 0 ? interpreter : fileNameOf(words.at(script));
}

} // namespace

QByteArray processBaseName(const QByteArray &shortName, const QByteArray &args)
{
    if (shortName.isEmpty() || args.isEmpty())
        return {};
    if (isScriptInterpreter(shortName))
        return interpreterRunName(shortName, args);
    if (shortName.size() < kShortNameLimit)
        return shortName;
    // The cut name of a program is completed from its argument 0, that of a
    // script run through its #! line from the script's path, which follows
    // the interpreter and its options. Other arguments are data and never
    // name the process.
    const QList<QByteArray> words = wordsOf(args);
    if (words.isEmpty())
        return shortName;
    QList<QByteArray> candidates{words.first()};
    const int script = scriptArgumentIndex(fileNameOf(words.first()), words);
    if (script > 0)
        candidates.append(words.at(script));
    for (const QByteArray &candidate : qAsConst(candidates)) {
        const QByteArray name = fileNameOf(candidate);
        if (name.startsWith(shortName))
            return name;
    }
    return shortName;
}

QByteArray processRunName(const QByteArray &executablePath, const QByteArray &shortName,
                          const QByteArray &args)
{
    if (executablePath.isEmpty())
        return processBaseName(shortName, args);
    const QByteArray program = fileNameOf(executablePath);
    if (isScriptInterpreter(program))
        return interpreterRunName(program, args);
    return program;
}

bool isProcessRunning(const QString &name, const ProcessSource &source)
{
    const QByteArray wanted = QFile::encodeName(name);
    if (wanted.isEmpty()) {
        qCDebug(lcSetupWatch) << "no setup name to look for: nothing counts as the setup";
        return false;
    }
    QByteArray executable;
    QByteArray shortName;
    QByteArray args;
    const auto pids = source.processIds();
    int unreadable = 0;
    for (const qint64 pid : pids) {
        if (pid <= 0)
            continue;
        if (source.readExecutablePath(pid, executable) && !executable.isEmpty()) {
            // The program file decides; the arguments are read only when it
            // is an interpreter that may run the setup script.
            const QByteArray program = fileNameOf(executable);
            if (!isScriptInterpreter(program)) {
                if (program == wanted) {
                    qCDebug(lcSetupWatch) << "setup" << name << "runs as process" << pid << "program" << executable;
                    return true;
                }
                continue;
            }
            if (source.readCommandLine(pid, args) && processRunName(executable, {}, args) == wanted) {
                qCDebug(lcSetupWatch) << "setup" << name << "runs as process" << pid << "a script of" << executable;
                return true;
            }
            continue;
        }
        // The program file of another user's process cannot be read; its
        // short name stands in for it.
        if (!source.readShortName(pid, shortName) || shortName.isEmpty()) {
            ++unreadable;
            continue;
        }
        const bool interpreter = isScriptInterpreter(shortName);
        if (!interpreter
            && (shortName.size() < kShortNameLimit ? shortName != wanted : !wanted.startsWith(shortName)))
            continue;
        if (!source.readCommandLine(pid, args) || args.isEmpty()) {
            qCDebug(lcSetupWatch) << "process" << pid << "named" << shortName
                                  << "may be the setup, but has no arguments to read (ended, or another user's): passed over";
            continue;
        }
        if (processBaseName(shortName, args) == wanted) {
            qCDebug(lcSetupWatch) << "setup" << name << "runs as process" << pid << "of another user, named"
                                  << shortName;
            return true;
        }
    }
    qCDebug(lcSetupWatch) << "no process runs" << name << "among" << pids.size() << "processes;" << unreadable
                          << "could not be read";
    return false;
}
