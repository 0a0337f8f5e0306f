#include "TerminationSignals.h"

#include "BoundedExit.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Written by the signal handler, read by the event loop: the only thing a
// signal handler may safely do is write to a descriptor.
int g_signalSockets[2] = {-1, -1};

void handleSignal(int)
{
    // The launcher's thread may be held up inside the media back end and
    // never read the byte: the deadline ends the process all the same.
    BoundedExit::armDeadline();
    const char byte = 1;
    const ssize_t written = ::write(g_signalSockets[0], &byte, sizeof byte);
    static_cast<void>(written);
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    BoundedExit::prepareDeadline();
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSockets) != 0)
        return;
    m_notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::onSignal);

    struct sigaction action = {};
    action.sa_handler = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (g_signalSockets[0] < 0)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
    delete m_notifier;
    ::close(g_signalSockets[0]);
    ::close(g_signalSockets[1]);
    g_signalSockets[0] = g_signalSockets[1] = -1;
}

void TerminationSignals::onSignal()
{
    char byte = 0;
    const ssize_t received = ::read(g_signalSockets[1], &byte, sizeof byte);
    static_cast<void>(received);
    QCoreApplication::quit();
}
