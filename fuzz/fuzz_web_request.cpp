// What a browser (or anything else) sends brenlow-web: requests read with
// the daemon's request reader, in the pieces the network cuts them into, and
// every complete one answered by the daemon's routes over a floor of two
// controllers that have sent nothing yet.
#include "Floor.h"
#include "FuzzSupport.h"
#include "HttpRequestParser.h"
#include "WebRoutes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::EnsureApplication();
    static Floor floor({QStringLiteral("127.0.20.2"), QStringLiteral("macchina-3")}, 16721);
    static const WebRoutes routes(floor);

    HttpRequestParser parser;
    bool failed = false;
    int pending = 0; // bytes of the request under way, as a connection peeks them
    FuzzSupport::FeedInPieces(data, size, [&](QByteArray &buffer) {
        while (!failed && pending < buffer.size()) {
            int taken = 0;
            const auto outcome = parser.Feed(buffer.constData() + pending, buffer.size() - pending, &taken);
            if (taken < 0 || taken > buffer.size() - pending)
                FuzzSupport::Fail("took bytes it was not offered");
            pending += taken;
            if (parser.RequestBytes() > HttpRequestParser::kMaxHeaderBytes + HttpRequestParser::kMaxBodyBytes + 64
                && outcome != HttpRequestParser::Outcome::Failed)
                FuzzSupport::Fail("a request passed the limits");
            if (outcome == HttpRequestParser::Outcome::NeedMore)
                break;
            if (outcome == HttpRequestParser::Outcome::Failed) {
                const int status = parser.FailureStatus();
                if (status != 400 && status != 405 && status != 413 && status != 431)
                    FuzzSupport::Fail("an unexpected failure status");
                failed = true;
                break;
            }
            const HttpRequest &request = parser.Request();
            if (request.method != "GET" && request.method != "HEAD")
                FuzzSupport::Fail("a method other than GET and HEAD was let through");
            const HttpResponse response = routes.Answer(request, 0);
            if (response.status != 200 && response.body.isEmpty())
                FuzzSupport::Fail("an error answer without a text");
            response.Serialize(request.method != "HEAD", !request.keepAlive);
            if (request.upgrade) {
                failed = true; // the connection would go to the WebSocket server
                break;
            }
            buffer.remove(0, pending);
            pending = 0;
            parser.Next();
        }
    });
    return 0;
}
