#include "ScreenClient.h"

#include <QHostAddress>
#include <QtTest>

ScreenClient::ScreenClient(QObject *parent) : QObject(parent)
{
    connect(&socket, &QTcpSocket::readyRead, this, &ScreenClient::OnReadyRead);
}

bool ScreenClient::Connect(quint16 port)
{
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    return socket.waitForConnected(5000);
}

void ScreenClient::Send(const QByteArray &bytes)
{
    socket.write(bytes);
    socket.flush();
}

void ScreenClient::OnReadyRead()
{
    const QByteArray bytes = socket.readAll();
    if (bytes.isEmpty())
        return;
    received.append(bytes);
    if (!m_decoding)
        return;
    m_pending.append(bytes);
    for (;;) {
        DecodedBlock block;
        const PanelDecoder::Result result = decoder.DecodeNext(m_pending, &block);
        if (result == PanelDecoder::Result::Block) {
            blocks.append(block);
            continue;
        }
        if (result != PanelDecoder::Result::NeedMore) {
            stopReason = result;
            m_decoding = false;
        }
        break;
    }
}

bool ScreenClient::WaitForBlocks(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return blocks.size() >= count || !m_decoding; }, timeoutMs)
        && blocks.size() >= count;
}

bool ScreenClient::WaitForBytes(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return received.size() >= count; }, timeoutMs);
}

bool ScreenClient::WaitForDisconnect(int timeoutMs)
{
    return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}
