#include "RawPeer.h"

#include <QElapsedTimer>
#include <QTest>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

RawPeer::RawPeer(int receiveBuffer)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const int reuse = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    // Taken over by the accepted connection.
    if (receiveBuffer > 0)
        ::setsockopt(m_listener, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(m_listener, 4);
    socklen_t length = sizeof address;
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
}

RawPeer::~RawPeer()
{
    if (m_fd >= 0)
        ::close(m_fd);
    ::close(m_listener);
}

bool RawPeer::accept(int timeoutMs)
{
    return QTest::qWaitFor([this] {
        if (m_fd < 0)
            m_fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK);
        return m_fd >= 0;
    }, timeoutMs);
}

void RawPeer::send(const QByteArray &bytes)
{
    qint64 done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t sent = ::send(m_fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (sent > 0)
            done += sent;
        else if (sent < 0 && errno != EAGAIN && errno != EINTR)
            return;
        else
            QTest::qWait(1);
    }
}

void RawPeer::shutdownSending()
{
    ::shutdown(m_fd, SHUT_WR);
}

void RawPeer::closeOrderly()
{
    ::close(m_fd);
    m_fd = -1;
}

void RawPeer::reset()
{
    const linger now{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    ::close(m_fd);
    m_fd = -1;
}

qint64 RawPeer::queued() const
{
    int bytes = 0;
    ::ioctl(m_fd, FIONREAD, &bytes);
    return bytes;
}

QByteArray RawPeer::read(int count, int timeoutMs)
{
    // Whether the count came shows in what is returned.
    (void)QTest::qWaitFor([this, count] {
        char block[65536];
        for (;;) {
            const ssize_t got = ::recv(m_fd, block, sizeof block, 0);
            if (got > 0) {
                m_received.append(block, int(got));
                continue;
            }
            // Ended (0 or an error other than would-block) or nothing yet.
            if (got == 0 || (errno != EAGAIN && errno != EINTR))
                return true;
            return m_received.size() >= count;
        }
    }, timeoutMs);
    return m_received;
}

QByteArray RawPeer::readToEnd(int quietMs)
{
    QElapsedTimer quiet;
    quiet.start();
    int seen = m_received.size();
    for (;;) {
        char block[65536];
        const ssize_t got = ::recv(m_fd, block, sizeof block, 0);
        if (got > 0) {
            m_received.append(block, int(got));
            continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EINTR))
            return m_received;
        if (m_received.size() != seen) {
            seen = m_received.size();
            quiet.restart();
        }
        if (quiet.elapsed() >= quietMs)
            return m_received;
        QTest::qWait(5);
    }
}
