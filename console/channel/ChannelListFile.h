#pragma once

#include <QByteArray>
#include <QStringList>

// A channel list file names one controller per line, in the order the
// screen windows are to be opened. Lines are taken as they stand (no
// trimming, empty lines kept); only the line end goes, a CR LF as a whole,
// so that a list written on Windows names the same controllers here.
QStringList SplitChannelListLines(const QByteArray &content);
