#include "SetupCommand.h"

#include "DetachedStart.h"

#include <QDir>
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
    // Detached, the installer never waits for the setup, and quitting the
    // installer does not end it.
    return startDetachedIn(process, program, m_parts.mid(1), QDir::currentPath());
}
