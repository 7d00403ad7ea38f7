// A small scriptable HTTP server for Windows test programs.
//
// It listens on 127.0.0.1 on a free port and runs on a thread of its own, one
// connection at a time: it reads the request up to its empty line, records it,
// and plays the reply chosen for it step by step. Replies are chosen by the
// handler when one is set, else by the request's target when a route matches,
// else from the queue in order; with none of these it answers 404.
//
//     test_http::HttpServer server;
//     server.Enqueue(test_http::Reply().Send("HTTP/1.0 200 OK\r\n\r\nhello"));
//     client.Get(server.Url("/page.html"));
//     EXPECT_EQ(server.Requests().at(0).substr(0, 24), "GET /page.html HTTP/1.0\r\n");
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace test_http {

// What the server does on one connection after reading its request. Without a
// Stall or Reset step it ends with an ordinary close.
class Reply {
public:
    Reply() = default;

    // Sends the bytes (any size; sending stops when the client has gone).
    Reply& Send(std::string bytes);
    // Sends nothing for a while.
    Reply& Wait(int ms);
    // Sends nothing more and keeps the connection open until the client closes
    // it or the server stops.
    Reply& Stall();
    // Ends with an abortive close (a reset) instead of an ordinary one.
    Reply& Reset();

    // Canned replies: a status line ("HTTP/1.0 200 OK"), the extra header lines
    // (each ending in CR LF), a Content-Length line when asked for, the empty
    // line and the body.
    static Reply Page(int status, const std::string& body, bool contentLength = true,
                      const std::string& headerLines = "");
    // A redirect with a Location line and a short body.
    static Reply Redirect(int status, const std::string& location);

    struct Step {
        enum Kind { Send, Wait, Stall, Reset } kind;
        std::string bytes;
        int ms = 0;
    };
    const std::vector<Step>& Steps() const { return steps_; }

private:
    std::vector<Step> steps_;
};

class HttpServer {
public:
    HttpServer();   // listening once constructed
    ~HttpServer();  // ends the connection in progress and the thread
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::uint16_t Port() const;
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string Url(const std::string& path = "/") const;

    // Replies for the next connections, in order.
    void Enqueue(Reply reply);
    // The reply for every request whose target ("/a/b?c") is `target`.
    void Route(const std::string& target, Reply reply);
    // Chooses the reply for each raw request; used before routes and queue.
    void SetHandler(std::function<Reply(const std::string& request)> handler);

    // The raw bytes of every request received, in order.
    std::vector<std::string> Requests() const;
    std::size_t RequestCount() const;
    // How many connections the server has finished with (closed its socket).
    std::size_t FinishedCount() const;
    // The target of a raw request: the second word of its first line.
    static std::string TargetOf(const std::string& request);

    // A port on 127.0.0.1 that nothing listens on (found free a moment ago).
    static std::uint16_t UnusedPort();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace test_http
