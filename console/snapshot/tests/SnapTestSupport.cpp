#include "SnapTestSupport.h"

#include "PanelPicture.h"
#include "PanelSnapshot.h"
#include "ScreenBlockParser.h"
#include "ScreenBlocks.h"
#include "ScreenImage.h"

#include <QProcess>
#include <QtTest>

namespace SnapTest {

QByteArray KnownPanel(Format format, int layout)
{
    QByteArray stream;
    switch (format) {
    case Format::Monochrome:
        for (int band = 0; band < 16; ++band) {
            QByteArray block = ScreenBlocks::Band(band, 0, layout);
            for (int j = 0; j < 240; ++j)
                block[2 + j] = char((band * 37 + j * 11 + (j / 30) * 5) & 0xFF);
            stream += block;
        }
        break;
    case Format::RawColour:
        for (int line = 0; line < 240; ++line) {
            QByteArray pixels(320, 0);
            for (int x = 0; x < 320; ++x)
                pixels[x] = char((x + 3 * line) & 0xFF);
            stream += ScreenBlocks::RawLine(line, pixels, layout);
        }
        break;
    case Format::RunLengthColour:
        for (int line = 0; line < 240; ++line) {
            // Pairs in runs of 1, 2, 3, ... until the row is full.
            QByteArray runs;
            int pairs = 0;
            for (int count = 1; pairs < 160; ++count) {
                const int take = qMin(count, 160 - pairs);
                runs.append(char(take)).append(char((line + count) & 0xFF)).append(char((line * 7 + count * 13) & 0xFF));
                pairs += take;
            }
            stream += ScreenBlocks::RunLengthLine(line, runs, layout);
        }
        break;
    }
    return stream;
}

QImage ConsolePicture(const QByteArray &stream)
{
    QByteArray buffer = stream;
    ScreenImage image;
    ScreenBlockParser parser;
    parser.Parse(buffer, image);
    PanelPicture picture;
    picture.Update(image);
    return PanelSnapshot::PanelImage(picture);
}

ProgramResult Run(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramResult result;
    if (!process.waitForStarted(10000))
        return result;
    // A plain event loop, not a polling wait: servers inside the test answer
    // at once, also when they write in many small pieces.
    if (process.state() != QProcess::NotRunning) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop,
                         &QEventLoop::quit);
        limit.start(timeoutMs);
        loop.exec();
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        result.crashed = true;
        return result;
    }
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace SnapTest

RefreshServer::RefreshServer(const QHostAddress &address, quint16 port)
{
    m_server.listen(address, port);
    connect(&m_server, &QTcpServer::newConnection, this, &RefreshServer::OnConnection);
    connect(&m_pieceTimer, &QTimer::timeout, this, &RefreshServer::SendNextPiece);
}

void RefreshServer::OnConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_client) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_client = socket;
        m_client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &RefreshServer::OnReadyRead);
        if (!m_greeting.isEmpty())
            m_client->write(m_greeting);
    }
}

void RefreshServer::OnReadyRead()
{
    m_received += m_client->readAll();
    if (m_answered || !m_received.contains(QByteArray("\x10\x65", 2)))
        return;
    m_answered = true;
    if (m_replyDelayMs > 0)
        QTimer::singleShot(m_replyDelayMs, this, &RefreshServer::SendReply);
    else
        SendReply();
}

void RefreshServer::SendReply()
{
    if (!m_client)
        return;
    if (m_pieceSize > 0) {
        m_pieceTimer.start(0);
        return;
    }
    m_client->write(m_reply);
    m_client->flush();
    if (m_closeAfterReply)
        m_client->disconnectFromHost();
}

void RefreshServer::SendNextPiece()
{
    if (!m_client || m_sent >= m_reply.size()) {
        m_pieceTimer.stop();
        if (m_client && m_closeAfterReply)
            m_client->disconnectFromHost();
        return;
    }
    m_client->write(m_reply.mid(m_sent, m_pieceSize));
    m_client->flush();
    m_sent += m_pieceSize;
}
