#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the event loop when the session asks the launcher to stop (SIGTERM,
// SIGINT, SIGHUP), so the launcher releases its single-instance lock on the
// way out instead of leaving it behind. The process ends within
// BoundedExit::deadlineMs of the signal even if the way out hangs.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent);
    ~TerminationSignals() override;

private:
    void onSignal();

    QSocketNotifier *m_notifier = nullptr;

    Q_DISABLE_COPY(TerminationSignals)
};
