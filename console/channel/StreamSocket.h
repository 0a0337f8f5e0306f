#pragma once

#include <QtGlobal>

class QString;

// The few operations of the system's TCP sockets that a channel needs, on a
// plain non-blocking IPv4 stream socket. Every call answers at once; waiting
// is the channel's business. Results below zero are the negated errno.
namespace StreamSocket {

// A non-blocking stream socket bound to any local address and a system
// chosen port, or the negated errno when none can be made.
int Create();

// Starts connecting to an IPv4 address (network byte order). Returns 0 when
// connected, 1 while the connection is under way, or the negated errno.
int StartConnect(int fd, quint32 address, quint16 port);

// How a connect under way stands: 0 connected, 1 still under way, or the
// negated errno of its failure. A connection the peer took and then reset
// before this look counts as made: it may hold bytes to read, and the reset
// goes to *laterError (taking the socket's error here clears it, so a read
// would end with 0 instead of the reset).
int ConnectResult(int fd, int *laterError);

// The error recorded on the socket (a refused connect, a reset), cleared by
// reading it; 0 when there is none.
int TakeError(int fd);

// Copies at most length bytes into the kernel. The count taken, 0 when the
// kernel takes nothing now, or the negated errno.
qint64 Send(int fd, const char *data, qint64 length);

// Reads at most length bytes: the count read, 0 at the peer's orderly
// shutdown, or the negated errno (-EAGAIN when nothing waits).
qint64 Receive(int fd, char *data, qint64 length);

// Bytes received and waiting to be read.
qint64 Waiting(int fd);

// True once the peer shut down its sending side or the connection ended.
bool PeerShutDown(int fd);
// True while the connection still exists (not ended by a reset or close).
bool Connected(int fd);
// Bytes handed to the kernel that the peer has not acknowledged yet.
qint64 Unacknowledged(int fd);

// Closes the socket; what the kernel still holds is delivered first.
void Close(int fd);
// Closes the socket with a reset: bytes the kernel still holds are dropped
// and never reach the peer.
void Abort(int fd);

// True when text is a dotted IPv4 address of four fields; its value goes
// to address.
bool ParseDottedAddress(const QString &text, quint32 *address);

} // namespace StreamSocket
