#include "SetupCommand.h"

#include "ScriptInterpreters.h"

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
    process.setProgram(program);
    process.setArguments(m_parts.mid(1));
    // Detached, the setup is a process of its own: no pipes tie it to the
    // installer, the installer never waits for it, and neither deleting the
    // process object nor quitting the installer ends it.
    return process.startDetached();
}
