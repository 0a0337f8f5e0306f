// The least a program must do to take the floor's screen traffic: one
// connection to the screen service of every controller in a channel list,
// one epoll set, and every readable socket read until it would block, the
// bytes thrown away. floor_run.sh runs it beside the console over the same
// controllers and the same seconds, as the bound the console is held to.
//
// Usage: floor_reader channel-list [port]
// Prints "READY n" once n connections stand, then reads until killed.
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int ConnectTo(const std::string &address, int port)
{
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &remote.sin_addr) != 1)
        return -1;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&remote), sizeof remote) != 0) {
        ::close(fd);
        return -1;
    }
    // Connected while blocking, read without: the loop below never waits
    // on one socket while others have bytes.
    if (::fcntl(fd, F_SETFL, O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: floor_reader channel-list [port]\n");
        return 2;
    }
    const int port = argc > 2 ? std::atoi(argv[2]) : 16721;
    const int watch = ::epoll_create1(EPOLL_CLOEXEC);
    std::ifstream list(argv[1]);
    std::string address;
    int connections = 0;
    while (std::getline(list, address)) {
        const int fd = ConnectTo(address, port);
        if (fd < 0) {
            std::fprintf(stderr, "floor_reader: cannot connect to %s: %s\n", address.c_str(),
                         std::strerror(errno));
            return 1;
        }
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        ::epoll_ctl(watch, EPOLL_CTL_ADD, fd, &event);
        ++connections;
    }
    std::printf("READY %d\n", connections);
    std::fflush(stdout);

    static char block[65536];
    epoll_event ready[64];
    for (;;) {
        const int n = ::epoll_wait(watch, ready, 64, -1);
        for (int i = 0; i < n; ++i) {
            const int fd = ready[i].data.fd;
            for (;;) {
                const ssize_t got = ::recv(fd, block, sizeof block, 0);
                if (got > 0)
                    continue;
                if (got < 0 && errno == EINTR)
                    continue;
                // Would block: wait for more. Closed or failed: nothing more
                // will come on this connection.
                if (got == 0 || errno != EAGAIN)
                    ::epoll_ctl(watch, EPOLL_CTL_DEL, fd, nullptr);
                break;
            }
        }
    }
}
