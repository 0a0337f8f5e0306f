#include "HttpRequestParser.h"

#include <QUrl>

#include <algorithm>

namespace {

HttpRequestParser *Self(http_parser *parser)
{
    return static_cast<HttpRequestParser *>(parser->data);
}

} // namespace

QByteArray HttpRequest::Header(const QByteArray &name) const
{
    for (const auto &header : headers) {
        if (header.first == name)
            return header.second;
    }
    return {};
}

QByteArray HttpRequest::QueryValue(const QByteArray &name) const
{
    for (const QByteArray &pair : query.split('&')) {
        const int equals = pair.indexOf('=');
        if (equals > 0 && pair.left(equals) == name)
            return QByteArray::fromPercentEncoding(pair.mid(equals + 1));
    }
    return {};
}

HttpRequestParser::HttpRequestParser()
{
    http_parser_settings_init(&m_settings);
    m_settings.on_url = &HttpRequestParser::OnUrl;
    m_settings.on_header_field = &HttpRequestParser::OnHeaderField;
    m_settings.on_header_value = &HttpRequestParser::OnHeaderValue;
    m_settings.on_headers_complete = &HttpRequestParser::OnHeadersComplete;
    m_settings.on_body = &HttpRequestParser::OnBody;
    m_settings.on_message_complete = &HttpRequestParser::OnMessageComplete;
    http_parser_init(&m_parser, HTTP_REQUEST);
    m_parser.data = this;
}

void HttpRequestParser::Next()
{
    m_request = HttpRequest();
    m_lastWasValue = true;
    m_headersComplete = false;
    m_complete = false;
    m_requestBytes = 0;
    m_bodyBytes = 0;
    http_parser_pause(&m_parser, 0);
}

HttpRequestParser::Outcome HttpRequestParser::Feed(const char *data, int length, int *taken)
{
    *taken = 0;
    while (!m_failure) {
        // Until the headers are complete, no more than the limit allows goes
        // in: a request whose headers pass it is refused without reading on.
        int offered = length - *taken;
        if (!m_headersComplete)
            offered = std::min(offered, kMaxHeaderBytes + 1 - m_requestBytes);
        const int parsed = int(http_parser_execute(&m_parser, &m_settings, data + *taken, size_t(offered)));
        *taken += parsed;
        m_requestBytes += parsed;
        if (m_failure)
            break;
        if (m_complete)
            return Outcome::Request;
        const http_errno error = HTTP_PARSER_ERRNO(&m_parser);
        if (error != HPE_OK && error != HPE_PAUSED) {
            Fail(error == HPE_HEADER_OVERFLOW ? 431 : 400);
            break;
        }
        if (!m_headersComplete && m_requestBytes > kMaxHeaderBytes) {
            Fail(431);
            break;
        }
        if (*taken == length)
            return Outcome::NeedMore;
    }
    return Outcome::Failed;
}

void HttpRequestParser::Fail(int status)
{
    if (!m_failure)
        m_failure = status;
    // A parser that found an error stops by itself (and may not be paused).
    if (HTTP_PARSER_ERRNO(&m_parser) == HPE_OK)
        http_parser_pause(&m_parser, 1);
}

int HttpRequestParser::OnUrl(http_parser *parser, const char *at, size_t length)
{
    Self(parser)->m_request.target.append(at, int(length));
    return 0;
}

int HttpRequestParser::OnHeaderField(http_parser *parser, const char *at, size_t length)
{
    HttpRequestParser *self = Self(parser);
    if (self->m_lastWasValue)
        self->m_request.headers.append(QPair<QByteArray, QByteArray>());
    self->m_lastWasValue = false;
    self->m_request.headers.last().first.append(QByteArray(at, int(length)).toLower());
    return 0;
}

int HttpRequestParser::OnHeaderValue(http_parser *parser, const char *at, size_t length)
{
    HttpRequestParser *self = Self(parser);
    if (self->m_request.headers.isEmpty())
        return 0;
    self->m_lastWasValue = true;
    self->m_request.headers.last().second.append(at, int(length));
    return 0;
}

int HttpRequestParser::OnHeadersComplete(http_parser *parser)
{
    HttpRequestParser *self = Self(parser);
    HttpRequest &request = self->m_request;
    self->m_headersComplete = true;
    request.method = http_method_str(http_method(parser->method));
    request.upgrade = parser->upgrade != 0;
    request.keepAlive = http_should_keep_alive(parser) != 0;
    if (self->m_requestBytes > kMaxHeaderBytes) {
        self->Fail(431);
        return 0;
    }
    if (request.method != "GET" && request.method != "HEAD") {
        self->Fail(405);
        return 0;
    }
    http_parser_url url;
    http_parser_url_init(&url);
    if (http_parser_parse_url(request.target.constData(), size_t(request.target.size()), 0, &url) != 0
        || !(url.field_set & (1 << UF_PATH))) {
        self->Fail(400);
        return 0;
    }
    const auto field = [&](http_parser_url_fields which) {
        if (!(url.field_set & (1 << which)))
            return QByteArray();
        return request.target.mid(url.field_data[which].off, url.field_data[which].len);
    };
    request.path = QByteArray::fromPercentEncoding(field(UF_PATH));
    request.query = field(UF_QUERY);
    return 0;
}

int HttpRequestParser::OnBody(http_parser *parser, const char *, size_t length)
{
    HttpRequestParser *self = Self(parser);
    self->m_bodyBytes += int(std::min<size_t>(length, size_t(kMaxBodyBytes) + 1));
    if (self->m_bodyBytes > kMaxBodyBytes)
        self->Fail(413);
    return 0;
}

int HttpRequestParser::OnMessageComplete(http_parser *parser)
{
    HttpRequestParser *self = Self(parser);
    self->m_complete = true;
    // Stops right after this request: the bytes behind it are the next one.
    http_parser_pause(parser, 1);
    return 0;
}
