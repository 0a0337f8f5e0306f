#pragma once

#include "PanelDecoder.h"

#include <QObject>
#include <QTcpSocket>
#include <QVector>

// A console stand-in for the tests: connects to a service, keeps every byte
// received, and decodes screen blocks as they arrive.
class ScreenClient : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ScreenClient)

public:
    explicit ScreenClient(QObject *parent = nullptr);

    bool Connect(quint16 port);
    void Send(const QByteArray &bytes);
    // Stops block decoding, for streams that are read raw (statistics).
    void SetDecoding(bool on) { m_decoding = on; }

    bool WaitForBlocks(int count, int timeoutMs = 5000);
    bool WaitForBytes(int count, int timeoutMs = 5000);
    bool WaitForDisconnect(int timeoutMs = 5000);

    QTcpSocket socket;
    QByteArray received;              // everything, in order
    QVector<DecodedBlock> blocks;     // decoded so far
    PanelDecoder decoder;
    PanelDecoder::Result stopReason = PanelDecoder::Result::NeedMore;

private:
    void OnReadyRead();

    QByteArray m_pending;
    bool m_decoding = true;
};
