#pragma once

#include <QString>
#include <QStringList>

// Exit codes of brenlow-snap, which scripts rely on.
enum SnapExit : int {
    kSnapOk = 0,
    kSnapBadArguments = 1,  // bad command line, or a file that cannot be written
    kSnapNoConnection = 2,  // refused, unreachable, not resolved, timed out
    kSnapNoWholePanel = 3,  // connected, but no whole panel in time
    kSnapInvalidStream = 4, // a block the console rejects, and no whole panel after it
};

struct SnapOptions
{
    QString address;
    QString output;          // may be empty only when recording
    quint16 port = 16721;    // the controller's screen service
    int scale = 1;
    double timeoutSeconds = 5;
    QString recordFile;
    double recordSeconds = 0;
};

enum class SnapParse { Run, Help, Version, Error };

// Reads the command line (arguments[0] is the program). On Help and Version
// `message` is the text to print; on Error the reason.
SnapParse ParseSnapOptions(const QStringList &arguments, SnapOptions *options, QString *message);
