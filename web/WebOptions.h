#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

// The command line of brenlow-web.
struct WebOptions
{
    QHostAddress listenAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    quint16 listenPort = 8716;
    QString eventLogFile;
    QString channelList;
};

enum class WebParse { Run, Help, Version, Error };

// Exit codes, which the service manager and scripts rely on.
constexpr int kWebExitFailure = 1;   // bad argument, unreadable list or log
constexpr int kWebExitPortInUse = 2;

// arguments[0] is the program. On Help and Version `message` holds the text
// to print; on Error the reason.
WebParse ParseWebOptions(const QStringList &arguments, WebOptions *options, QString *message);

// The controllers of a channel list file, in order: the console's format,
// one address a line; blanks around an address and empty lines are left
// out, and an address given twice counts once. False with the reason when
// the file cannot be read.
bool ReadChannelList(const QString &path, QStringList *addresses, QString *error);
