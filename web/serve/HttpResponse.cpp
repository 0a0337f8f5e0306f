#include "HttpResponse.h"

HttpResponse HttpResponse::Text(int status, const QByteArray &text)
{
    HttpResponse response;
    response.status = status;
    response.contentType = "text/plain; charset=utf-8";
    response.body = text + '\n';
    return response;
}

const char *StatusReason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Payload Too Large";
    case 426: return "Upgrade Required";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Unknown";
    }
}

QByteArray HttpResponse::Serialize(bool withBody, bool close) const
{
    QByteArray out;
    out.reserve(256 + (withBody ? body.size() : 0));
    out += "HTTP/1.1 " + QByteArray::number(status) + ' ' + StatusReason(status) + "\r\n";
    if (!contentType.isEmpty())
        out += "Content-Type: " + contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    out += "X-Content-Type-Options: nosniff\r\n";
    if (status == 405)
        out += "Allow: GET, HEAD\r\n";
    for (const auto &header : headers)
        out += header.first + ": " + header.second + "\r\n";
    if (close)
        out += "Connection: close\r\n";
    out += "\r\n";
    if (withBody)
        out += body;
    return out;
}
