#pragma once

#include "ControllerServer.h"
#include "SimOptions.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QTime>
#include <memory>

// A controller running inside the test on free loopback ports, with a fixed
// panel clock, no timed updates unless a test asks for them, and a key log
// in a temporary folder.
class TestController
{
public:
    static QTime FixedTime() { return QTime(10, 20, 30); }
    static SimOptions Options();

    bool Start(const SimOptions &options);
    ControllerServer &Server() { return *m_server; }
    quint16 ScreenPort() const { return m_server->ScreenPort(); }
    quint16 StatsPort() const { return m_server->StatsPort(); }
    QStringList KeyLogLines() const;
    // Waits until the key log holds `count` lines.
    bool WaitForKeyLogLines(int count, int timeoutMs = 5000) const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ControllerServer> m_server;
};
