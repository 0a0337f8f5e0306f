#include "DetachedStart.h"

#include <QFileInfo>
#include <QProcess>

bool startDetachedIn(QProcess &carrier, const QString &program, const QStringList &arguments,
                     const QString &workingDirectory)
{
    carrier.setProgram(program);
    carrier.setArguments(arguments);
    carrier.setWorkingDirectory(workingDirectory);
    if (program.isEmpty() || !QFileInfo(workingDirectory).isDir())
        return false;
    return carrier.startDetached();
}
