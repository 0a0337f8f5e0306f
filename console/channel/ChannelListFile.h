#pragma once

#include <QByteArray>
#include <QStringList>

#include <functional>

// A channel list file names one controller per line, in the order the
// screen windows are to be opened. Lines are taken as they stand (no
// trimming, empty lines kept); only the line end goes, a CR LF as a whole,
// so that a list written on Windows names the same controllers here.
QStringList SplitChannelListLines(const QByteArray &content);

// Opens the controllers of a channel list, one line after the other, with
// open (which reports its own failures and answers whether a window
// stayed). A list of thousands of bad lines must not bury the operator
// under as many message boxes: the failures of the first
// kShownRefusedLines refused lines are shown as they come, those of the
// rest are only counted, and one message at the end says how many more
// lines were refused. A line counts as refused when no window stayed and
// it was reported; a line whose address the operator was asked for and
// not given is not.
constexpr int kShownRefusedLines = 10;
void OpenChannelListLines(const QStringList &lines, const std::function<bool(const QString &line)> &open);
