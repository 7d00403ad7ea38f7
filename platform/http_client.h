// The HTTP/1.0 client: a GET on the calling thread, which keeps dispatching its
// window messages while it waits, so windows paint and answer during a request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

namespace http {
class ResponseReader;
struct Url;
}  // namespace http

class HttpClient {
public:
    HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;
    ~HttpClient();

    // Fetches an http address ("http://host[:port]/path?query"; the fragment is
    // not sent) and returns when the exchange is over.
    //
    // Each request is an HTTP/1.0 GET on a new connection, with a Host line and
    // fixed Accept and Content-type lines; blanks, controls and bytes from 0x80
    // in the path go out as %XX. The status is the second word of the
    // response's first line (0 when it is not a number):
    // - below 300: the connection is closed, Header and Body hold the response,
    //   and OnSuccess is called before Get returns. An exception from OnSuccess
    //   passes out of Get.
    // - 300, 301, 302, 303, 307 or 308 with a Location: the GET is repeated at
    //   that address, at most MaxRedirects times; one more throws.
    // - any other status: OnFailure(status) is called, and Get returns.
    // The body is what follows the header up to the server's close; when the
    // header announces a Content-Length, the body ends after that many bytes
    // (further bytes are dropped) and a close before them is an error.
    //
    // Throws platform::Exception for an address that is not http (https
    // included) or has a bad port, a host that is not found (IPv4 only), a
    // connection that fails, a socket error while sending or receiving, a close
    // without any response, a response that breaks a limit below or does not
    // fit in memory, TimeoutMs without progress, and when the application is
    // ending (the default ProcessMessages). A Get started while another one runs
    // on the same client (from a message dispatched during the wait) throws too.
    //
    // Header and Body are emptied when Get starts and hold the last complete
    // response afterwards.
    void Get(const std::string& url);

    // The response: the status line and header lines as received (without the
    // empty line), and the body, byte for byte.
    std::string Body;
    std::string Header;
    // The status of the last complete response of the last Get; 0 before one.
    int Status() const { return status_; }

    std::function<void()> OnSuccess;
    std::function<void(int status)> OnFailure;

    // Limits. A request ends with an Exception when the name lookup, the
    // connection, sending or receiving makes no progress for TimeoutMs
    // (0: no limit), when the header is longer than MaxHeaderBytes, or when the
    // body is longer than MaxBodyBytes.
    unsigned long TimeoutMs = 60000;
    std::size_t MaxHeaderBytes = 64 * 1024;
    std::uint64_t MaxBodyBytes = std::uint64_t{1} << 30;
    int MaxRedirects = 20;

    // Called on every wake-up of every wait (a wait sleeps 100 ms at most), and
    // after every 4 MiB read while data keeps arriving. By default it dispatches the thread's
    // waiting messages through the application object and throws an Exception
    // once the application is terminated.
    std::function<void()> ProcessMessages;

private:
    http::ResponseReader Fetch(const http::Url& url);

    std::unique_ptr<char[]> buffer_;  // one receive buffer, kept for every request
    int status_ = 0;
    bool busy_ = false;
};

}  // namespace platform
