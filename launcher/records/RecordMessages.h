#pragma once

#include <QString>

// Text of the message that reports a description file written by an unknown
// class version. versionLabel differs between the record classes.
QString unknownVersionMessage(const QString &className, const QString &versionLabel,
                              qint32 expected, qint32 loaded);
