#include "SetupCommand.h"

#include "DetachedStart.h"
#include "ScriptInterpreters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

SetupCommand::SetupCommand(const QString &commandLine)
    : m_parts(QProcess::splitCommand(commandLine))
{
}

QString SetupCommand::watchedName() const
{
    // "env [NAME=value ...] program ..." runs the program named after env's
    // own settings and options.
    int program = 0;
    if (!m_parts.isEmpty() && QFileInfo(m_parts.first()).fileName() == QLatin1String("env")) {
        program = 1;
        while (program < m_parts.size()
               && (m_parts.at(program).startsWith(QLatin1Char('-')) || m_parts.at(program).contains(QLatin1Char('=')))) {
            // These two options take the next word as their value.
            if (m_parts.at(program) == QLatin1String("-u") || m_parts.at(program) == QLatin1String("-C"))
                ++program;
            ++program;
        }
    }
    if (program >= m_parts.size())
        return {};

    const QString name = QFileInfo(m_parts.at(program)).fileName();
    const QByteArray interpreter = QFile::encodeName(name);
    if (!isScriptInterpreter(interpreter))
        return name;
    // An interpreter runs the setup script under the script's name.
    QList<QByteArray> words;
    for (int i = program; i < m_parts.size(); ++i)
        words.append(QFile::encodeName(m_parts.at(i)));
    const int script = scriptArgumentIndex(interpreter, words);
    return script < 0 ? name : QFileInfo(m_parts.at(program + script)).fileName();
}

bool SetupCommand::startDetached(QProcess &process) const
{
    if (m_parts.isEmpty())
        return false;
    QString program = m_parts.first();
    if (!program.contains(QLatin1Char('/'))) {
        const QFileInfo beside(program);
        if (beside.isFile() && beside.isExecutable())
            program = QStringLiteral("./") + program;
    }
    // Detached, the installer never waits for the setup, and quitting the
    // installer does not end it.
    return startDetachedIn(process, program, m_parts.mid(1), QDir::currentPath());
}
