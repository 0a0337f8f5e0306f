#pragma once

#include <QString>
#include <QStringList>

class QProcess;

// Starts a machine's program detached, with an argument list (never through
// a shell), in the given working directory. The process object only carries
// the start settings; the program runs on after the launcher has ended.
//
// A working directory that does not exist refuses the start: the machine
// programs expect their "bin" folder as current directory, and Qt would
// otherwise run them in the launcher's own directory.
bool startDetachedIn(QProcess &carrier, const QString &program, const QStringList &arguments,
                     const QString &workingDirectory);
