// The HTTP/1.0 messages of the HTTP client: addresses, the request it sends, and
// the response it reads (status line, header lines, body). Portable: no sockets.
//
// Every failure is a platform::Exception with an English message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
namespace http {

// An http address taken apart.
struct Url {
    std::string host;         // as written (an IPv6 literal keeps its brackets)
    std::uint16_t port = 80;  // 80 unless the address names a port
    std::string path;         // begins with "/"; "/" when the address has none
    std::string query;        // with its leading "?", or empty

    // What the request line asks for: path and query.
    std::string Target() const { return path + query; }
    // The Host line's value: the host, and ":port" when the port is not 80.
    std::string HostField() const;
    // The address written out again: "http://" host [":" port] path query.
    std::string ToString() const;
};

// Takes an address apart. The scheme is "http" in any case; the fragment is
// dropped; a user name before "@" is dropped; blanks around the address are
// ignored. Throws Exception for https, for any other scheme or none, for an
// empty host, and for a port that is not a number from 1 to 65535 (an empty
// port after ":" means 80).
Url ParseUrl(std::string_view address);

// A dotted IPv4 address of four decimal numbers 0-255 without leading zeros
// ("127.0.0.1"), as four bytes in network order; nullopt for anything else.
std::optional<std::uint32_t> ParseIPv4(std::string_view host);

// The address a Location value points to, resolved against the address that
// answered with it: absolute addresses, "//host/path", "/path", "path",
// "../path" and "?query" (dot segments removed). The result is not checked:
// ParseUrl does that.
std::string ResolveLocation(const Url& base, std::string_view location);

// The request: "GET target HTTP/1.0", the Host line, the fixed Accept and
// Content-type lines, and the empty line; no body. Bytes that may not stand in
// a request line (controls, blanks, bytes from 0x80) are sent as %XX.
std::string BuildRequest(const Url& url);

// The status: the second blank-separated word of the first line read as a
// decimal number; 0 when there is no such word or it is not all digits.
int ParseStatus(std::string_view header);

// The value of the first header line named `name` (any case), blanks around it
// removed; the status line, continuation lines (starting with a blank) and lines
// without a name and a colon are skipped. Lines may end in CR LF or a bare LF.
std::optional<std::string> FindHeader(std::string_view header, std::string_view name);

// Content-Length as a number; nullopt when absent or not all digits.
std::optional<std::uint64_t> ContentLength(std::string_view header);

// True for the statuses that are followed when they carry a Location:
// 300, 301, 302, 303, 307, 308.
bool IsRedirect(int status);

// Reads one response as it arrives, in pieces of any size.
//
// The header ends at the first empty line (CR LF CR LF, or bare LF LF). The body
// is everything after it up to the server's close; when the header announces a
// Content-Length, the response is complete once that many body bytes are there,
// and any further bytes are dropped.
class ResponseReader {
public:
    static constexpr std::size_t kDefaultMaxHeader = 64 * 1024;
    static constexpr std::uint64_t kDefaultMaxBody = std::uint64_t{1} << 30;

    explicit ResponseReader(std::size_t maxHeader = kDefaultMaxHeader,
                            std::uint64_t maxBody = kDefaultMaxBody);

    // Takes the next received bytes. True once the response is complete (its
    // Content-Length arrived); nothing more is taken then. Throws Exception when
    // the header grows past its limit or the body past its limit (an announced
    // Content-Length past the body limit fails as soon as the header is read).
    bool Feed(const char* data, std::size_t size);

    // The server closed the connection. Throws Exception when nothing at all was
    // received, or when fewer body bytes than the Content-Length arrived. A header
    // without its empty line is taken as the whole header, with an empty body.
    void Close();

    bool Complete() const { return complete_; }
    bool HeaderRead() const { return headerRead_; }
    int Status() const { return status_; }
    // The status line and the header lines as received, each with its line end;
    // the empty line is not part of it.
    std::string& Header() { return header_; }
    std::string& Body() { return body_; }
    std::optional<std::uint64_t> ExpectedLength() const { return length_; }

private:
    void EndHeader(std::size_t headerEnd, std::size_t bodyStart);
    bool TakeBody(const char* data, std::size_t size);

    std::size_t maxHeader_;
    std::uint64_t maxBody_;
    std::string header_;      // while the header is read: everything received
    std::size_t scanned_ = 0;  // header bytes already searched for the empty line
    std::string body_;
    std::optional<std::uint64_t> length_;
    int status_ = 0;
    bool headerRead_ = false;
    bool complete_ = false;
    bool received_ = false;
};

}  // namespace http
}  // namespace platform
