// Addresses and the request built from them: ParseUrl, Url::ToString,
// ParseIPv4 and BuildRequest.
//
// Input: an address, as the browser or a Location line may give one.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/exception.h"
#include "platform/http_message.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using platform::Exception;
using namespace platform::http;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimEnd(std::string_view s) {
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

void CheckIPv4(std::string_view host) {
    const std::optional<std::uint32_t> address = ParseIPv4(host);
    if (!address) return;
    const auto* b = reinterpret_cast<const unsigned char*>(&*address);
    const std::string written = std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) +
                                "." + std::to_string(b[3]);
    LC_FUZZ_CHECK(written == host);
}

void CheckRequest(const Url& url) {
    static const char kHex[] = "0123456789ABCDEF";
    const std::string request = BuildRequest(url);
    const std::string target = url.Target();

    LC_FUZZ_CHECK(request.compare(0, 4, "GET ") == 0);
    std::size_t pos = 4;
    for (const char c : target) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F) {
            LC_FUZZ_CHECK(request.compare(pos, 3, std::string{'%', kHex[b >> 4], kHex[b & 15]}) == 0);
            pos += 3;
        } else {
            LC_FUZZ_CHECK(pos < request.size() && request[pos] == c);
            ++pos;
        }
    }
    const std::string lines = " HTTP/1.0\r\nHost: " + url.HostField() + "\r\n";
    LC_FUZZ_CHECK(request.compare(pos, lines.size(), lines) == 0);
    LC_FUZZ_CHECK(request.size() >= 4 && request.compare(request.size() - 4, 4, "\r\n\r\n") == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view address = lc_fuzz::AsText(data, size);
    CheckIPv4(address);

    Url url;
    try {
        url = ParseUrl(address);
    } catch (const Exception&) {
        return 0;
    }
    LC_FUZZ_CHECK(!url.host.empty());
    LC_FUZZ_CHECK(url.host.find_first_of("/?#@") == std::string::npos);
    LC_FUZZ_CHECK(url.host[0] != '[' || url.host.back() == ']');
    LC_FUZZ_CHECK(url.port >= 1);
    LC_FUZZ_CHECK(!url.path.empty() && url.path[0] == '/');
    LC_FUZZ_CHECK(url.path.find_first_of("?#") == std::string::npos);
    LC_FUZZ_CHECK(url.query.empty() || url.query[0] == '?');
    LC_FUZZ_CHECK(url.query.find('#') == std::string::npos);
    CheckIPv4(url.host);

    // Written out and read again, the address is the same one (blanks at its end
    // are dropped as around any address).
    Url again;
    try {
        again = ParseUrl(url.ToString());
    } catch (const Exception&) {
        LC_FUZZ_CHECK(!"an address written out again does not parse");
    }
    LC_FUZZ_CHECK(again.host == url.host);
    LC_FUZZ_CHECK(again.port == url.port);
    LC_FUZZ_CHECK(again.Target() == TrimEnd(url.Target()));

    CheckRequest(url);
    return 0;
}
