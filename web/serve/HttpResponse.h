#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// An answer to one request, and its bytes on the wire.
struct HttpResponse
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;

    void AddHeader(const QByteArray &name, const QByteArray &value) { headers.append(qMakePair(name, value)); }

    // A short plain-text answer, for errors.
    static HttpResponse Text(int status, const QByteArray &text);

    // Status line, headers and (unless for a HEAD request) the body.
    // "close" adds Connection: close.
    QByteArray Serialize(bool withBody, bool close) const;
};

const char *StatusReason(int status);
