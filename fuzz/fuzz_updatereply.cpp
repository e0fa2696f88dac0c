// Reply bodies of both update checks, as they arrive with status 200: the bytes on their own, and placed where
// each check looks for its members so that the fuzzer reaches the member handling quickly.
#include "Handlers/ApiHandler.h"
#include "Objects/SessionDetails.h"

#include <cstddef>
#include <cstdint>

namespace {

// A reply of the wrong shape raises; the check's guard logs it, so here it is only swallowed.
template <typename Handler> void handle(Handler handler, const QByteArray& body)
{
    try {
        handler(body);
    } catch (...) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    handle(ApiHandler::handleAgentReplyBody, body);
    handle(ApiHandler::handlePluginReplyBody, body);
    handle(ApiHandler::handleAgentReplyBody, "{\"representation\":{\"AGENT\":" + body + "}}");
    handle(ApiHandler::handlePluginReplyBody, "{\"representation\":" + body + "}");

    SessionDetails* session = SessionDetails::getInstance();
    session->setCdnUrl(std::nullopt);
    session->setFallbackUrl(std::nullopt);
    session->setCxPluginDownloadUrl(std::nullopt);
    session->setIsCdnAvailable(false);
    session->setIsUpdateNeeded(false);
    session->setCxPluginUpdateNeeded(false);
    return 0;
}
