#include "StatsSession.h"

#include "StreamWriter.h"

#include <QHostAddress>
#include <QTcpSocket>

StatsSession::StatsSession(QTcpSocket *socket, bool splitWrites, quint32 seed, QObject *parent)
    : QObject(parent),
      m_socket(socket),
      m_writer(new StreamWriter(socket, splitWrites, seed, this)),
      m_peerName(QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()))
{
    m_socket->setParent(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setReadBufferSize(16 * 1024);
    connect(m_socket, &QTcpSocket::readyRead, this, &StatsSession::OnReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &StatsSession::OnDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            OnDisconnected();
    });
}

void StatsSession::SetTrickle(int delayMs)
{
    m_writer->SetTrickle(delayMs);
}

bool StatsSession::Push(const QByteArray &record)
{
    if (m_finished || m_writer->Queued() > kMaxQueued)
        return false;
    m_writer->Write(record);
    return true;
}

void StatsSession::OnReadyRead()
{
    qint64 total = 0;
    while (m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(4096);
        if (bytes.isEmpty())
            break;
        total += bytes.size();
    }
    if (total > 0)
        emit BytesReceived(total);
}

void StatsSession::OnDisconnected()
{
    if (m_finished)
        return;
    m_finished = true;
    emit Finished();
}
