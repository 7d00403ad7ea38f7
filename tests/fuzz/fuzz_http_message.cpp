// The response side of the HTTP client: status line, header lookup,
// Content-Length, Location resolution and the incremental response reader.
//
// Input: the address that was asked for, an LF, then the response as a server
// sends it. The last nine bytes choose the reader's limits (one byte) and how
// the response is cut into pieces (eight bytes); an input shorter than that is
// all response and address.
//
// The response is read twice, in one piece and in the chosen pieces; both
// readings must end alike.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// What a reader ended with: the exception's message, or its state.
struct Reading {
    bool threw = false;
    std::string header;
    std::string body;
    int status = 0;
    bool complete = false;
    std::optional<std::uint64_t> length;

    bool operator==(const Reading& o) const {
        if (threw || o.threw) return threw == o.threw;
        return header == o.header && body == o.body && status == o.status && complete == o.complete &&
               length == o.length;
    }
};

// A small generator for the piece sizes (splitmix64).
class Pieces {
public:
    explicit Pieces(std::uint64_t seed) : state_(seed), largest_(seed % 97) {}
    std::size_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return static_cast<std::size_t>((z ^ (z >> 31)) % (largest_ + 1));
    }

private:
    std::uint64_t state_;
    std::uint64_t largest_;
};

Reading Read(std::string_view response, std::size_t maxHeader, std::uint64_t maxBody, Pieces* pieces) {
    Reading r;
    ResponseReader reader(maxHeader, maxBody);
    try {
        bool done = false;
        std::size_t pos = 0;
        while (!done && pos < response.size()) {
            std::size_t n = response.size() - pos;
            if (pieces) {
                n = pieces->Next();
                if (n == 0) done = reader.Feed(response.data() + pos, 0);  // an empty receive
                n = std::clamp<std::size_t>(n, 1, response.size() - pos);
            }
            if (!done) done = reader.Feed(response.data() + pos, n);
            pos += n;
            LC_FUZZ_CHECK(done == reader.Complete());
        }
        reader.Close();
    } catch (const Exception&) {
        r.threw = true;
        return r;
    }
    LC_FUZZ_CHECK(reader.Complete() && reader.HeaderRead());
    r.header = reader.Header();
    r.body = reader.Body();
    r.status = reader.Status();
    r.complete = reader.Complete();
    r.length = reader.ExpectedLength();

    // The header stops before its empty line, and within its limit.
    LC_FUZZ_CHECK(r.header.size() <= maxHeader);
    LC_FUZZ_CHECK(r.header.find("\n\n") == std::string::npos);
    LC_FUZZ_CHECK(r.header.find("\n\r\n") == std::string::npos);
    LC_FUZZ_CHECK(r.header.rfind("\n", 0) != 0 && r.header.rfind("\r\n", 0) != 0);
    LC_FUZZ_CHECK(response.substr(0, r.header.size()) == r.header);
    LC_FUZZ_CHECK(r.status == ParseStatus(r.header));
    LC_FUZZ_CHECK(r.length == ContentLength(r.header));
    // The body is what follows the empty line, up to its length and limit.
    LC_FUZZ_CHECK(r.body.size() <= maxBody);
    if (r.length) LC_FUZZ_CHECK(r.body.size() == *r.length);
    LC_FUZZ_CHECK(response.size() >= r.body.size() &&
                  response.find(r.body, r.header.size()) != std::string_view::npos);
    return r;
}

void CheckHeaderLookups(std::string_view header) {
    const int status = ParseStatus(header);
    LC_FUZZ_CHECK(status >= 0 && status <= 999999999);

    for (std::string_view name : {"Location", "Content-Length", "content-type", ""}) {
        const std::optional<std::string> value = FindHeader(header, name);
        if (!value) continue;
        LC_FUZZ_CHECK(!name.empty());
        LC_FUZZ_CHECK(value->find('\n') == std::string::npos);
        LC_FUZZ_CHECK(value->empty() || (!IsBlank(value->front()) && !IsBlank(value->back())));
    }
    if (const std::optional<std::uint64_t> length = ContentLength(header)) {
        const std::optional<std::string> value = FindHeader(header, "Content-Length");
        LC_FUZZ_CHECK(value && !value->empty() &&
                      std::all_of(value->begin(), value->end(), [](char c) { return c >= '0' && c <= '9'; }));
    }
}

void CheckLocation(std::string_view address, std::string_view location) {
    Url base;
    try {
        base = ParseUrl(address);
    } catch (const Exception&) {
        return;
    }
    const std::string resolved = ResolveLocation(base, location);

    std::string_view trimmed = location;
    while (!trimmed.empty() && (IsBlank(trimmed.front()) || trimmed.front() == '\r' || trimmed.front() == '\n'))
        trimmed.remove_prefix(1);
    const bool hasScheme = [&] {
        const std::size_t colon = trimmed.find(':');
        if (colon == std::string_view::npos || colon == 0) return false;
        const auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
        if (!isAlpha(trimmed[0])) return false;
        return std::all_of(trimmed.begin() + 1, trimmed.begin() + colon, [&](char c) {
            return isAlpha(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        });
    }();
    if (hasScheme || trimmed.substr(0, 2) == "//") return;

    // A relative location stays on the same server.
    Url next;
    try {
        next = ParseUrl(resolved);
    } catch (const Exception&) {
        LC_FUZZ_CHECK(!"a relative location resolved to an address that does not parse");
    }
    LC_FUZZ_CHECK(next.host == base.host);
    LC_FUZZ_CHECK(next.port == base.port);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::uint8_t limits = in.ConsumeIntegral<std::uint8_t>();
    const std::uint64_t split = in.ConsumeIntegral<std::uint64_t>();
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const std::size_t lf = rest.find('\n');
    const std::string_view address = std::string_view(rest).substr(0, lf);
    const std::string_view response =
        lf == std::string::npos ? std::string_view() : std::string_view(rest).substr(lf + 1);

    // Small limits most of the time, so that inputs reach them; the program's own
    // limits otherwise.
    const std::size_t maxHeader = (limits & 1) ? ResponseReader::kDefaultMaxHeader : ((limits >> 1) & 7) * 48u;
    const std::uint64_t maxBody = (limits & 16) ? ResponseReader::kDefaultMaxBody : ((limits >> 5) & 7) * 300u;

    CheckHeaderLookups(response);
    CheckLocation(address, FindHeader(response, "Location").value_or(std::string(address)));

    const Reading whole = Read(response, maxHeader, maxBody, nullptr);
    Pieces pieces(split);
    const Reading cut = Read(response, maxHeader, maxBody, &pieces);
    LC_FUZZ_CHECK(whole == cut);
    return 0;
}
