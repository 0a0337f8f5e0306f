#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A ctrlsim process for end-to-end tests: started on a loopback address of
// its own, ready once it reported its ports, and with a key log the test
// can read back. The process is killed with the object.
class SimulatedController
{
    Q_DISABLE_COPY(SimulatedController)

public:
    explicit SimulatedController(const QString &program);
    ~SimulatedController();

    // Starts the controller with the given options (its key log is added)
    // and waits until both services listen.
    bool Start(const QString &address, const QStringList &options);
    quint16 ScreenPort() const { return m_screenPort; }
    quint16 StatsPort() const { return m_statsPort; }

    // The key messages received so far, as "key flags=0xNN code=0xNN".
    QStringList KeyLines() const;

private:
    QString m_program;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_screenPort = 0;
    quint16 m_statsPort = 0;
};
