#include "SetupCommand.h"

#include <QFileInfo>
#include <QProcess>

SetupCommand::SetupCommand(const QString &commandLine)
    : m_parts(QProcess::splitCommand(commandLine))
{
}

QString SetupCommand::watchedName() const
{
    if (m_parts.isEmpty())
        return {};
    return QFileInfo(m_parts.first()).fileName();
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
