#pragma once

#include <QString>

// The installer's settings, read from "QuorvelIns.ini" in the working
// directory. A missing file or key leaves the default.
struct InstallerSettings
{
    // Command line that starts the setup program.
    QString setupName;
    // 0: compact option list; other values: large list and the version in the read-me.
    int setupId = 0;
    // Version put in place of every "x.x.x" of the read-me when setupId is not 0.
    QString versionEnv;

    static InstallerSettings read(const QString &fileName = QStringLiteral("QuorvelIns.ini"));
};

// The most characters the version substitution may make of the read-me. A
// usual read-me holds the mark a few times; a file holding it hundreds of
// thousands of times, with a long version, would otherwise grow to
// gigabytes.
inline constexpr int kMaxReadmeChars = 256 * 1024;

// The read-me as shown: with a non-zero SETUPID every "x.x.x" becomes the
// version, as long as the text stays within kMaxReadmeChars; marks beyond
// that point stay as written.
QString readmeForDisplay(const QString &html, const InstallerSettings &settings);
