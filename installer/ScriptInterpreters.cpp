#include "ScriptInterpreters.h"

#include <cctype>

namespace {

bool isShell(const QByteArray &name)
{
    static const char *const kShells[] = {"sh", "bash", "dash", "zsh", "ksh", "mksh", "csh", "tcsh", "fish"};
    for (const char *shell : kShells) {
        if (name == shell)
            return true;
    }
    return false;
}

// The option letters with which the interpreter runs code given on the
// command line instead of a script.
QByteArray inlineCodeOptions(const QByteArray &interpreter)
{
    if (interpreter.startsWith("python"))
        return "cm";
    if (interpreter.startsWith("perl") || interpreter.startsWith("ruby") || interpreter == "node"
        || interpreter.startsWith("lua"))
        return "eE";
    if (interpreter.startsWith("php"))
        return "r";
    return "c";
}

} // namespace

bool isScriptInterpreter(const QByteArray &fileName)
{
    if (isShell(fileName))
        return true;
    static const char *const kPrefixes[] = {"python", "perl", "ruby", "tclsh", "wish", "lua", "php"};
    for (const char *prefix : kPrefixes) {
        if (fileName.startsWith(prefix))
            return true;
    }
    return fileName == "node";
}

int scriptArgumentIndex(const QByteArray &interpreter, const QList<QByteArray> &words)
{
    const QByteArray inlineCode = inlineCodeOptions(interpreter);
    for (int i = 1; i < words.size(); ++i) {
        const QByteArray &word = words.at(i);
        if (word.isEmpty())
            continue;
        if (word == "--")
            return i + 1 < words.size() && !words.at(i + 1).isEmpty() ? i + 1 : -1;
        if (word == "-")
            return -1;
        if (word.startsWith("--"))
            continue;
        if (word.startsWith('-') || (word.startsWith('+') && isShell(interpreter))) {
            // A cluster of one-letter options ("-ec") runs inline code when
            // one of its letters asks for it; a value attached to an option
            // ("-I/usr/lib") ends the letters.
            for (const char letter : word.mid(1)) {
                if (!std::isalpha(static_cast<unsigned char>(letter)))
                    break;
                if (inlineCode.contains(letter))
                    return -1;
            }
            continue;
        }
        return i;
    }
    return -1;
}
