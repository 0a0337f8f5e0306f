#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace SnapTest {

enum class Format { Monochrome, RawColour, RunLengthColour };

// A whole panel in one format, every band or line with a pattern of its
// own, so a band or line out of place changes the picture. The colour
// patterns use all 256 pixel values; run-length lines use runs of several
// lengths.
QByteArray KnownPanel(Format format, int layout = 0);

// The picture the console shows after decoding these bytes.
QImage ConsolePicture(const QByteArray &stream);

struct ProgramResult
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end with no display: DISPLAY, WAYLAND_DISPLAY and
// QT_QPA_PLATFORM are taken out of its environment. The event loop runs
// meanwhile, so servers inside the test keep serving.
ProgramResult Run(const QString &program, const QStringList &arguments, int timeoutMs = 30000);

} // namespace SnapTest

// A controller stand-in on the screen service: answers the refresh request
// with a fixed reply, written whole or in small pieces on successive passes
// of the event loop, and then closes or keeps the connection open.
class RefreshServer : public QObject
{
    Q_OBJECT

public:
    RefreshServer(const QHostAddress &address, quint16 port = 16721);

    bool IsListening() const { return m_server.isListening(); }
    // Bytes sent as soon as a console connects, before any request.
    void SetGreeting(const QByteArray &bytes) { m_greeting = bytes; }
    void SetReply(const QByteArray &bytes, int pieceSize = 0)
    {
        m_reply = bytes;
        m_pieceSize = pieceSize;
    }
    void SetCloseAfterReply(bool close) { m_closeAfterReply = close; }
    // Waits this long after the request before answering, so the answer
    // comes in a read of its own.
    void SetReplyDelay(int ms) { m_replyDelayMs = ms; }
    QByteArray Received() const { return m_received; }

private:
    void OnConnection();
    void OnReadyRead();
    void SendNextPiece();
    void SendReply();

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_greeting;
    QByteArray m_reply;
    int m_pieceSize = 0;
    int m_sent = 0;
    int m_replyDelayMs = 0;
    bool m_closeAfterReply = false;
    bool m_answered = false;
    QByteArray m_received;
    QTimer m_pieceTimer;
};
