// The browser's reply to the address query: ReplyFromData and UrlFromReply.
//
// Input: the data of the request as the DDE client receives it. The first byte
// says whether any data came (bit 0 clear: none); the rest is the data.
#include <cstdint>
#include <optional>
#include <string>

#include "capture/browser_query.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::optional<std::string> received;
    if (size > 0 && (data[0] & 1)) received = std::string(lc_fuzz::AsText(data + 1, size - 1));

    const std::string reply = ReplyFromData(received);
    if (!received) {
        LC_FUZZ_CHECK(reply.empty());
    } else {
        // The bytes up to the first NUL.
        LC_FUZZ_CHECK(reply.find('\0') == std::string::npos);
        LC_FUZZ_CHECK(received->compare(0, reply.size(), reply) == 0);
        LC_FUZZ_CHECK(reply.size() == received->size() || (*received)[reply.size()] == '\0');
    }

    // The address runs from the second byte to the next double quote.
    for (const std::string& text : {reply, received.value_or(std::string())}) {
        const std::string url = UrlFromReply(text);
        LC_FUZZ_CHECK(url.find('"') == std::string::npos);
        if (url.empty()) {
            LC_FUZZ_CHECK(text.size() < 2 || text[1] == '"' || text.find('"', 1) == std::string::npos);
        } else {
            LC_FUZZ_CHECK(text.compare(1, url.size(), url) == 0);
            LC_FUZZ_CHECK(text.size() > url.size() + 1 && text[url.size() + 1] == '"');
        }
    }
    return 0;
}
