#pragma once

#include "startup/LauncherMessages.h"

// The launcher's message boxes would wait for a click; the fuzz targets
// take them silently and only count them.
class SilentLauncherMessages : public LauncherMessages
{
public:
    void critical(QWidget *, const QString &, const QString &) override { ++shown; }
    void plain(const QString &) override { ++shown; }
    void warning(QWidget *, const QString &, const QString &) override { ++shown; }

    int shown = 0;
};

// Installs the silent boxes once per process.
inline SilentLauncherMessages &InstallSilentLauncherMessages()
{
    static SilentLauncherMessages messages;
    static const bool installed = (LauncherMessages::install(&messages), true);
    (void)installed;
    return messages;
}
