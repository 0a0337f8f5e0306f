#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <http_parser.h>

// One request as a browser sent it.
struct HttpRequest
{
    QByteArray method;
    QByteArray target;   // as sent: path and query
    QByteArray path;     // percent-decoded
    QByteArray query;
    QList<QPair<QByteArray, QByteArray>> headers; // names in lower case
    bool upgrade = false;   // the browser asks to switch protocols
    bool keepAlive = false; // the connection may carry another request

    // The value of the first header of that (lower-case) name, or empty.
    QByteArray Header(const QByteArray &name) const;
    // The value of a query parameter, or empty.
    QByteArray QueryValue(const QByteArray &name) const;
};

// Reads the requests of one connection with the http-parser library, one at
// a time, and holds them to the daemon's limits: request line and headers
// within kMaxHeaderBytes, a body (which no request here needs) within
// kMaxBodyBytes, and no method but GET and HEAD.
class HttpRequestParser
{
    Q_DISABLE_COPY(HttpRequestParser)

public:
    static constexpr int kMaxHeaderBytes = 8192;
    static constexpr int kMaxBodyBytes = 16384;

    enum class Outcome {
        NeedMore, // every byte was taken and the request is not complete
        Request,  // Request() is complete; the bytes after it were not taken
        Failed,   // answer FailureStatus() and close the connection
    };

    HttpRequestParser();

    // Takes the bytes that follow those taken before; *taken says how many
    // of them belong to the request so far.
    Outcome Feed(const char *data, int length, int *taken);
    // Makes ready for the next request on the same connection.
    void Next();

    const HttpRequest &Request() const { return m_request; }
    // 400 malformed, 405 method, 413 body, 431 headers.
    int FailureStatus() const { return m_failure; }
    // Bytes of the request under way taken so far.
    int RequestBytes() const { return m_requestBytes; }

private:
    static int OnUrl(http_parser *parser, const char *at, size_t length);
    static int OnHeaderField(http_parser *parser, const char *at, size_t length);
    static int OnHeaderValue(http_parser *parser, const char *at, size_t length);
    static int OnHeadersComplete(http_parser *parser);
    static int OnBody(http_parser *parser, const char *at, size_t length);
    static int OnMessageComplete(http_parser *parser);
    void Fail(int status);

    http_parser m_parser{};
    http_parser_settings m_settings{};
    HttpRequest m_request;
    bool m_lastWasValue = true;
    bool m_headersComplete = false;
    bool m_complete = false;
    int m_requestBytes = 0;
    int m_bodyBytes = 0;
    int m_failure = 0;
};
