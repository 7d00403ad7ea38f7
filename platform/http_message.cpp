#include "platform/http_message.h"

#include <algorithm>
#include <limits>

#include "platform/ansi_text.h"
#include "platform/exception.h"

namespace platform {
namespace http {

namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Blanks, tabs and line ends around a whole address.
std::string_view TrimSpace(std::string_view s) {
    auto space = [](char c) { return IsBlank(c) || c == '\r' || c == '\n'; };
    while (!s.empty() && space(s.front())) s.remove_prefix(1);
    while (!s.empty() && space(s.back())) s.remove_suffix(1);
    return s;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit);
}

// The length of a scheme followed by ":" at the start of `s` ("http" for
// "http://h/"), or 0 when `s` does not start with one.
std::size_t SchemeLength(std::string_view s) {
    if (s.empty() || !IsAlpha(s[0])) return 0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == ':') return i;
        if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') return 0;
    }
    return 0;
}

std::string Quoted(std::string_view address) { return "\"" + std::string(address) + "\""; }

// Removes "." and ".." segments from an absolute path (the usual algorithm for
// resolving relative references).
std::string RemoveDotSegments(std::string_view in) {
    std::string out;
    auto dropLastSegment = [&out] {
        const std::size_t slash = out.rfind('/');
        out.erase(slash == std::string::npos ? 0 : slash);
    };
    auto starts = [&in](std::string_view p) { return in.substr(0, p.size()) == p; };
    while (!in.empty()) {
        if (starts("../")) {
            in.remove_prefix(3);
        } else if (starts("./")) {
            in.remove_prefix(2);
        } else if (starts("/./")) {
            in.remove_prefix(2);
        } else if (in == "/.") {
            in = "/";
        } else if (starts("/../")) {
            in.remove_prefix(3);
            dropLastSegment();
        } else if (in == "/..") {
            in = "/";
            dropLastSegment();
        } else if (in == "." || in == "..") {
            in = {};
        } else {
            const std::size_t next = in.find('/', 1);
            const std::size_t n = next == std::string_view::npos ? in.size() : next;
            out.append(in.substr(0, n));
            in.remove_prefix(n);
        }
    }
    return out;
}

// Splits "path?query" into its path and its query (with "?").
void SplitQuery(std::string_view s, std::string_view& path, std::string_view& query) {
    const std::size_t q = s.find('?');
    path = s.substr(0, q);
    query = q == std::string_view::npos ? std::string_view{} : s.substr(q);
}

}  // namespace

std::string Url::HostField() const {
    return port == 80 ? host : host + ":" + std::to_string(port);
}

std::string Url::ToString() const { return "http://" + HostField() + path + query; }

Url ParseUrl(std::string_view address) {
    const std::string_view s = TrimSpace(address);
    const std::size_t schemeLength = SchemeLength(s);
    if (schemeLength == 0) throw Exception("Not an http address: " + Quoted(s));
    const std::string_view scheme = s.substr(0, schemeLength);
    if (EqualsIgnoringAsciiCase(scheme, "https"))
        throw Exception("https addresses are not supported: " + Quoted(s));
    if (!EqualsIgnoringAsciiCase(scheme, "http") || s.substr(schemeLength, 3) != "://")
        throw Exception("Not an http address: " + Quoted(s));

    std::string_view rest = s.substr(schemeLength + 3);
    const std::size_t authorityEnd = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authorityEnd);
    rest = authorityEnd == std::string_view::npos ? std::string_view{} : rest.substr(authorityEnd);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);

    Url url;
    std::string_view host = authority;
    std::string_view port;
    bool hasPort = false;
    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) throw Exception("Invalid host in address: " + Quoted(s));
        host = authority.substr(0, close + 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':') throw Exception("Invalid host in address: " + Quoted(s));
            hasPort = true;
            port = after.substr(1);
        }
    } else if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        hasPort = true;
        port = authority.substr(colon + 1);
    }
    if (host.empty()) throw Exception("No host in address: " + Quoted(s));
    url.host = std::string(host);
    if (hasPort && !port.empty()) {
        unsigned long value = 0;
        for (const char c : port) {
            if (!IsDigit(c)) throw Exception("Invalid port in address: " + Quoted(s));
            value = std::min<unsigned long>(value * 10 + static_cast<unsigned long>(c - '0'), 100000);
        }
        if (value < 1 || value > 65535) throw Exception("Invalid port in address: " + Quoted(s));
        url.port = static_cast<std::uint16_t>(value);
    }

    rest = rest.substr(0, rest.find('#'));
    std::string_view path, query;
    SplitQuery(rest, path, query);
    url.path = path.empty() ? "/" : std::string(path);
    url.query = std::string(query);
    return url;
}

std::optional<std::uint32_t> ParseIPv4(std::string_view host) {
    unsigned char bytes[4];
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (host.empty() || host[0] != '.') return std::nullopt;
            host.remove_prefix(1);
        }
        std::size_t n = 0;
        unsigned value = 0;
        while (n < host.size() && n < 4 && IsDigit(host[n])) {
            value = value * 10 + static_cast<unsigned>(host[n] - '0');
            ++n;
        }
        // "010" is left to the name lookup, which may read it as octal.
        if (n == 0 || n > 3 || value > 255 || (n > 1 && host[0] == '0')) return std::nullopt;
        host.remove_prefix(n);
        bytes[part] = static_cast<unsigned char>(value);
    }
    if (!host.empty()) return std::nullopt;
    std::uint32_t address = 0;
    std::copy(bytes, bytes + 4, reinterpret_cast<unsigned char*>(&address));
    return address;
}

std::string ResolveLocation(const Url& base, std::string_view location) {
    location = TrimSpace(location);
    if (SchemeLength(location) > 0) return std::string(location);
    if (location.substr(0, 2) == "//") return "http:" + std::string(location);
    location = location.substr(0, location.find('#'));
    if (location.empty()) return base.ToString();

    const std::string authority = "http://" + base.HostField();
    if (location[0] == '?') return authority + base.path + std::string(location);

    std::string_view path, query;
    SplitQuery(location, path, query);
    std::string merged;
    if (!path.empty() && path[0] == '/') {
        merged = std::string(path);
    } else {
        merged = base.path.substr(0, base.path.rfind('/') + 1);
        merged.append(path);
    }
    return authority + RemoveDotSegments(merged) + std::string(query);
}

std::string BuildRequest(const Url& url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string target;
    for (const char c : url.Target()) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F) {
            target += '%';
            target += kHex[b >> 4];
            target += kHex[b & 15];
        } else {
            target += c;
        }
    }
    return "GET " + target + " HTTP/1.0\r\n" +
           "Host: " + url.HostField() + "\r\n" +
           "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
           "Content-type: text/html\r\n"
           "\r\n";
}

int ParseStatus(std::string_view header) {
    std::string_view line = header.substr(0, header.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    auto skipBlanks = [&line] {
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    };
    auto skipWord = [&line] {
        while (!line.empty() && !IsBlank(line.front())) line.remove_prefix(1);
    };
    skipBlanks();
    skipWord();
    skipBlanks();
    std::string_view word = line;
    word = word.substr(0, std::find_if(word.begin(), word.end(), IsBlank) - word.begin());
    if (!AllDigits(word) || word.size() > 9) return 0;
    int status = 0;
    for (const char c : word) status = status * 10 + (c - '0');
    return status;
}

std::optional<std::string> FindHeader(std::string_view header, std::string_view name) {
    std::size_t pos = header.find('\n');  // the status line is no header line
    while (pos != std::string_view::npos && pos < header.size()) {
        const std::size_t start = pos + 1;
        const std::size_t end = header.find('\n', start);
        std::string_view line = header.substr(start, end == std::string_view::npos ? std::string_view::npos
                                                                                   : end - start);
        pos = end;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) break;
        if (IsBlank(line[0])) continue;  // a continuation line
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;
        const std::string_view lineName = line.substr(0, colon);
        const bool wellFormed = std::none_of(lineName.begin(), lineName.end(), [](char c) {
            return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
        });
        if (wellFormed && EqualsIgnoringAsciiCase(lineName, name))
            return std::string(TrimBlanks(line.substr(colon + 1)));
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ContentLength(std::string_view header) {
    const std::optional<std::string> value = FindHeader(header, "Content-Length");
    if (!value || !AllDigits(*value)) return std::nullopt;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t n = 0;
    for (const char c : *value) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        n = n > (kMax - digit) / 10 ? kMax : n * 10 + digit;
    }
    return n;
}

bool IsRedirect(int status) {
    switch (status) {
        case 300: case 301: case 302: case 303: case 307: case 308:
            return true;
        default:
            return false;
    }
}

ResponseReader::ResponseReader(std::size_t maxHeader, std::uint64_t maxBody)
    : maxHeader_(maxHeader), maxBody_(maxBody) {}

bool ResponseReader::Feed(const char* data, std::size_t size) {
    if (complete_) return true;
    if (size == 0) return false;
    received_ = true;
    if (headerRead_) return TakeBody(data, size);

    header_.append(data, size);
    const std::size_t n = header_.size();
    std::size_t i = scanned_;
    for (; i < n; ++i) {
        if (i > 0 && header_[i - 1] != '\n') continue;  // not the start of a line
        if (header_[i] == '\n') {
            EndHeader(i, i + 1);
            return complete_;
        }
        if (header_[i] == '\r') {
            if (i + 1 == n) break;  // CR LF or not: the next piece tells
            if (header_[i + 1] == '\n') {
                EndHeader(i, i + 2);
                return complete_;
            }
        }
    }
    scanned_ = i;
    // The empty line cannot start before `scanned_`: the header is at least that long.
    if (scanned_ > maxHeader_)
        throw Exception("The response header is longer than " + std::to_string(maxHeader_) + " bytes");
    return false;
}

void ResponseReader::EndHeader(std::size_t headerEnd, std::size_t bodyStart) {
    if (headerEnd > maxHeader_)
        throw Exception("The response header is longer than " + std::to_string(maxHeader_) + " bytes");
    const std::string rest = header_.substr(bodyStart);
    header_.resize(headerEnd);
    header_.shrink_to_fit();
    headerRead_ = true;
    status_ = ParseStatus(header_);
    length_ = ContentLength(header_);
    if (length_) {
        if (*length_ > maxBody_)
            throw Exception("The response body is longer than " + std::to_string(maxBody_) + " bytes");
        body_.reserve(static_cast<std::size_t>(*length_));
        if (*length_ == 0) {
            complete_ = true;
            return;
        }
    }
    TakeBody(rest.data(), rest.size());
}

bool ResponseReader::TakeBody(const char* data, std::size_t size) {
    if (length_) {
        const std::size_t take = static_cast<std::size_t>(
            std::min<std::uint64_t>(size, *length_ - body_.size()));
        body_.append(data, take);
        complete_ = body_.size() == *length_;
        return complete_;
    }
    if (body_.size() + size > maxBody_)
        throw Exception("The response body is longer than " + std::to_string(maxBody_) + " bytes");
    const std::size_t needed = body_.size() + size;
    if (needed > body_.capacity()) {
        // Grows geometrically: by four while small (fewer copies and fresh pages,
        // which are slow to touch on some machines), by two from 64 MiB on, and
        // never past the limit.
        const std::size_t capacity = body_.capacity();
        std::size_t room = capacity < (std::size_t{64} << 20) ? std::max<std::size_t>(capacity * 4, 1 << 20)
                                                              : capacity * 2;
        if (room > maxBody_) room = static_cast<std::size_t>(maxBody_);
        body_.reserve(std::max(needed, room));
    }
    body_.append(data, size);
    return false;
}

void ResponseReader::Close() {
    if (complete_) return;
    if (!received_) throw Exception("The server closed the connection without a response");
    if (!headerRead_) {
        // Feed lets a CR at the start of a line wait for its LF; it still counts.
        if (header_.size() > maxHeader_)
            throw Exception("The response header is longer than " + std::to_string(maxHeader_) + " bytes");
        headerRead_ = true;
        status_ = ParseStatus(header_);
        length_ = ContentLength(header_);
    }
    if (length_ && body_.size() < *length_) {
        throw Exception("The connection closed after " + std::to_string(body_.size()) + " of " +
                        std::to_string(*length_) + " body bytes");
    }
    complete_ = true;
}

}  // namespace http
}  // namespace platform
