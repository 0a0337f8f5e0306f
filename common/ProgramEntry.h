#pragma once

#include <QString>
#include <QStringList>

// What a program says about itself on --help and --version.
struct ProgramDescription
{
    QString name;            // the program's file name, e.g. "Brenlow"
    QString version;
    QString summary;         // one or two lines under the usage line
    QString argumentName;    // the program's own argument, if it takes one
    QString argumentSyntax;  // how the usage line shows it, e.g. "[file]"
    QString argumentHelp;
};

// The programs keep the command lines they have always had, so the standard
// options count only when one of them is the whole command line: "--help",
// "-h", "--help-all", "--version" or "-v" given alone. Anything else,
// "--help" beside other arguments included, keeps the program's own meaning.
//
// `arguments` holds the program first, as QCoreApplication::arguments().
// Returns the text to print for such a command line, or an empty string when
// the program is to run as usual. Needs a QCoreApplication only for the help
// text, which names the program as it was called.
QString standaloneOptionText(const QStringList &arguments, const ProgramDescription &program);

// For main(), before the application object exists: when the command line is
// one standard option, prints its text on standard output and returns true
// (the program then ends with code 0, without opening a display).
bool printStandaloneOption(int argc, char **argv, const ProgramDescription &program);
