#include "StreamSocket.h"

#include <QString>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <linux/sockios.h>

namespace StreamSocket {

namespace {

int TcpState(int fd)
{
    tcp_info info{};
    socklen_t length = sizeof info;
    if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) != 0)
        return -1;
    return info.tcpi_state;
}

} // namespace

int Create()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -errno;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = 0;
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0) {
        const int error = errno;
        ::close(fd);
        return -error;
    }
    return fd;
}

int StartConnect(int fd, quint32 address, quint16 port)
{
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = address;
    remote.sin_port = htons(port);
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr *>(&remote), sizeof remote);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return 0;
    // An interrupted connect goes on in the background, like one under way.
    return errno == EINPROGRESS || errno == EALREADY ? 1 : -errno;
}

int ConnectResult(int fd, int *laterError)
{
    if (const int error = TakeError(fd)) {
        // A refused connect is ECONNREFUSED; a reset only ends a connection
        // that was established.
        if (error == ECONNRESET) {
            *laterError = error;
            return 0;
        }
        return -error;
    }
    switch (TcpState(fd)) {
    case TCP_SYN_SENT:
        return 1;
    case TCP_CLOSE:
    case -1:
        return -ECONNREFUSED;
    default:
        return 0;
    }
}

int TakeError(int fd)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

qint64 Send(int fd, const char *data, qint64 length)
{
    for (;;) {
        // MSG_NOSIGNAL: a controller that went away is an error to report,
        // not a signal that ends the console.
        const ssize_t sent = ::send(fd, data, size_t(length), MSG_NOSIGNAL);
        if (sent >= 0)
            return sent;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        return -errno;
    }
}

qint64 Receive(int fd, char *data, qint64 length)
{
    for (;;) {
        const ssize_t got = ::recv(fd, data, size_t(length), 0);
        if (got >= 0)
            return got;
        if (errno == EINTR)
            continue;
        return errno == EWOULDBLOCK ? -EAGAIN : -errno;
    }
}

qint64 Waiting(int fd)
{
    int bytes = 0;
    if (::ioctl(fd, FIONREAD, &bytes) != 0)
        return 0;
    return bytes;
}

bool PeerShutDown(int fd)
{
    switch (TcpState(fd)) {
    case TCP_SYN_SENT:
    case TCP_SYN_RECV:
    case TCP_ESTABLISHED:
    case TCP_FIN_WAIT1:
    case TCP_FIN_WAIT2:
        return false;
    default:
        return true;
    }
}

bool Connected(int fd)
{
    const int state = TcpState(fd);
    return state != -1 && state != TCP_CLOSE;
}

qint64 Unacknowledged(int fd)
{
    int bytes = 0;
    if (::ioctl(fd, SIOCOUTQ, &bytes) != 0)
        return -1;
    return bytes;
}

void Close(int fd)
{
    ::close(fd);
}

void Abort(int fd)
{
    const linger reset{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(fd);
}

bool ParseDottedAddress(const QString &text, quint32 *address)
{
    // Four fields, read the way the system's resolver reads them (a field
    // may carry leading zeros); shorter forms are not taken as addresses.
    if (text.count(QLatin1Char('.')) != 3)
        return false;
    // The resolver would stop at a blank and ignore what follows it.
    for (const QChar c : text) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('.'))
            return false;
    }
    in_addr parsed{};
    if (::inet_aton(text.toLatin1().constData(), &parsed) == 0)
        return false;
    *address = parsed.s_addr;
    return true;
}

} // namespace StreamSocket
