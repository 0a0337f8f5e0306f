#include "ProgramEntry.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

enum class Standalone { None, Help, Version };

Standalone standaloneOption(const QStringList &arguments, QCommandLineParser &parser,
                            const ProgramDescription &program)
{
    if (arguments.size() != 2)
        return Standalone::None;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!program.argumentName.isEmpty())
        parser.addPositionalArgument(program.argumentName, program.argumentHelp, program.argumentSyntax);
    parser.setApplicationDescription(program.summary);
    // A lone argument that is not an option of the parser (a file name, a
    // keyword, an unknown option) is the program's business, not an error.
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty())
        return Standalone::None;
    if (parser.isSet(version))
        return Standalone::Version;
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        return Standalone::Help;
    return Standalone::None;
}

} // namespace

QString standaloneOptionText(const QStringList &arguments, const ProgramDescription &program)
{
    QCommandLineParser parser;
    switch (standaloneOption(arguments, parser, program)) {
    case Standalone::None:
        break;
    case Standalone::Version:
        return program.name + QLatin1Char(' ') + program.version + QLatin1Char('\n');
    case Standalone::Help:
        return parser.helpText();
    }
    return {};
}

bool printStandaloneOption(int argc, char **argv, const ProgramDescription &program)
{
    if (argc != 2 || argv == nullptr || argv[1] == nullptr)
        return false;
    const QStringList arguments{QString::fromLocal8Bit(argv[0]), QString::fromLocal8Bit(argv[1])};
    {
        QCommandLineParser parser;
        if (standaloneOption(arguments, parser, program) == Standalone::None)
            return false;
    }
    // The help text names the program as it was called; it takes that from
    // the application object. A core one needs no display.
    int coreArgc = 1;
    QCoreApplication core(coreArgc, argv);
    const QString text = standaloneOptionText(arguments, program);
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    return true;
}
