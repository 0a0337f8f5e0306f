#pragma once

#include <QString>
#include <QStringList>

class QProcess;

// How the setup program named by the SETUPNAME command line is started and
// recognised. The command line is split as QProcess splits it: at blanks,
// with double quotes grouping.
class SetupCommand
{
public:
    explicit SetupCommand(const QString &commandLine);

    // The file name the setup runs under, which the process watch looks for:
    // the program's name without its folder; for a script given to an
    // interpreter ("sh setup.sh", "python3 -u setup.py") the script's name,
    // for a program started through env the program's name. Empty for an
    // empty command line.
    QString watchedName() const;

    // Starts the setup detached, in the installer's working directory, and
    // returns at once. A program named without a folder is taken from the
    // working directory when it is there, as the setup ships beside the
    // installer, and otherwise looked up in PATH. False when it did not start.
    bool startDetached(QProcess &process) const;

private:
    QStringList m_parts;
};
