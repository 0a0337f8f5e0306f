#pragma once

#include "PanelFormat.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

constexpr quint16 kDefaultScreenPort = 16721;
constexpr quint16 kDefaultStatsPort = 16737;

// Exit codes of ctrlsim, which scripts and tests rely on.
constexpr int kExitBadCommandLine = 2;
constexpr int kExitPortInUse = 3;
constexpr int kExitCannotListen = 4;
constexpr int kExitBadRecording = 5;

// Everything the command line sets. Counts of -1 mean the fault mode is off.
struct SimOptions
{
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    bool allowAnyAddress = false;
    PanelFormat format = PanelFormat::Mono;
    int layout = 0;
    qint32 chipId = 9;
    qint32 revision = 0;
    int rateMs = 1000;
    int statsMs = 1000;
    QString keyLog;                 // empty or "-" = standard output
    quint16 screenPort = kDefaultScreenPort;
    quint16 statsPort = kDefaultStatsPort;
    bool splitWrites = false;
    quint32 seed = 1;
    int invalidKindAfter = -1;
    int badLineAfter = -1;
    int closeAfter = -1;
    int stallAfter = -1;
    bool flood = false;
    int maxConnections = 64;
    bool quiet = false;
    QString replayFile;             // empty: serve the live panel
    double replaySpeed = 1.0;
    bool replayLoop = false;
};

enum class ParseOutcome { Run, Help, Version, Error };

// Reads the command line (arguments[0] is the program). On Help or Version
// `message` holds the text to print; on Error it holds the reason.
ParseOutcome ParseSimOptions(const QStringList &arguments, SimOptions *options, QString *message);

// The controller is a loopback test peer: only 127.0.0.0/8 unless allowed.
bool IsLoopbackV4(const QHostAddress &address);
