#pragma once

#include <QString>
#include <QStringList>

class QProcess;

// Starts a program detached, with an argument list (never through a shell),
// in the given working directory, and returns at once. The process object
// only carries the start settings: the program is a process of its own, no
// pipes tie it to the caller, and neither deleting the object nor ending
// the caller ends it. This is how the launcher starts the machines' programs
// and the installer starts the setup.
//
// A working directory that does not exist refuses the start: the programs
// expect their own folder as current directory, and Qt would otherwise run
// them in the caller's. An empty program name refuses it too. False when the
// program was not started.
bool startDetachedIn(QProcess &carrier, const QString &program, const QStringList &arguments,
                     const QString &workingDirectory);
