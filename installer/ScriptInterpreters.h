#pragma once

#include <QByteArray>
#include <QList>

// Programs that run a script named on their command line, such as the
// shell a setup script's #! line names. While such a program runs a setup
// script, the script is what the operator knows as the setup.
//
// `fileName` is the interpreter program's file name without its folder
// ("dash", "python3.11").
bool isScriptInterpreter(const QByteArray &fileName);

// Position in `words` (a command line; words[0] is the interpreter) of the
// script the interpreter runs: the first word after the interpreter's
// options. -1 when it runs none: a command string (sh -c, perl -e), a
// module (python -m), the standard input ("-"), or no word at all.
int scriptArgumentIndex(const QByteArray &interpreter, const QList<QByteArray> &words);
