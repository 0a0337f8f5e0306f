#pragma once

#include <QByteArray>
#include <QString>

class ProcessSource;

// Length at which the kernel cuts a process's short name.
inline constexpr int kShortNameLimit = 15;

// The name a process runs under, as the setup watch compares it.
//
// Where the program file the process runs can be read (`executablePath`),
// its file name is the name: neither argument 0 nor a name the process gave
// itself counts. A script interpreter (sh, bash, dash, python3, perl, ...)
// runs under the file name of its script, the first of its arguments that
// is not an option; one that runs a command string ("sh -c ...") or no
// script at all runs under its own name.
QByteArray processRunName(const QByteArray &executablePath, const QByteArray &shortName,
                          const QByteArray &args);

// The name from the kernel's short name, when the program file cannot be
// read (another user's process).
//
// The kernel's short name is the file name of the program that was executed;
// for a script it is the script's own name, not its interpreter's. It is cut
// at 15 bytes, so a name of that length is completed from the first argument
// whose file name starts with it: argument 0 for a program, the script's path
// for a script run through its #! line. A short name that is a script
// interpreter's gives the script's name, as above. A process without arguments is a
// kernel thread or has already ended and is only waiting to be collected; it
// runs no program and has no name. An empty result never matches.
QByteArray processBaseName(const QByteArray &shortName, const QByteArray &args);

// True when some process runs under the file name `name`, compared exactly
// and case-sensitively. Processes that cannot be read or that end during the
// scan are passed over; an empty name matches nothing.
bool isProcessRunning(const QString &name, const ProcessSource &source);
