#include <winsock2.h>
#include <windows.h>

#include "tests/wine/http_server.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace test_http {

namespace {

constexpr long kSliceUs = 20 * 1000;       // how often a waiting server looks at its stop flag
constexpr DWORD kRequestTimeMs = 5000;     // the longest wait for a request's empty line
constexpr std::size_t kSendPiece = 1 << 20;

const char* ReasonOf(int status) {
    switch (status) {
        case 200: return "OK";
        case 204: return "No Content";
        case 300: return "Multiple Choices";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 303: return "See Other";
        case 304: return "Not Modified";
        case 305: return "Use Proxy";
        case 307: return "Temporary Redirect";
        case 308: return "Permanent Redirect";
        case 400: return "Bad Request";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        default: return "Status";
    }
}

// True when `s` becomes readable within one slice.
bool Readable(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval slice{0, kSliceUs};
    return select(0, &set, nullptr, nullptr, &slice) > 0;
}

struct WinsockUser {
    WinsockUser() {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
    }
    ~WinsockUser() { WSACleanup(); }
};

}  // namespace

Reply& Reply::Send(std::string bytes) {
    steps_.push_back({Step::Send, std::move(bytes), 0});
    return *this;
}

Reply& Reply::Wait(int ms) {
    steps_.push_back({Step::Wait, {}, ms});
    return *this;
}

Reply& Reply::Stall() {
    steps_.push_back({Step::Stall, {}, 0});
    return *this;
}

Reply& Reply::Reset() {
    steps_.push_back({Step::Reset, {}, 0});
    return *this;
}

Reply Reply::Page(int status, const std::string& body, bool contentLength, const std::string& headerLines) {
    std::string head = "HTTP/1.0 " + std::to_string(status) + " " + ReasonOf(status) + "\r\n" + headerLines;
    if (contentLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return Reply().Send(head + "\r\n" + body);
}

Reply Reply::Redirect(int status, const std::string& location) {
    return Page(status, "<a href=\"" + location + "\">moved</a>", true, "Location: " + location + "\r\n");
}

struct HttpServer::State {
    WinsockUser winsock;
    SOCKET listener = INVALID_SOCKET;
    std::uint16_t port = 0;
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> finished{0};

    mutable std::mutex mutex;
    std::deque<Reply> queue;
    std::map<std::string, Reply> routes;
    std::function<Reply(const std::string&)> handler;
    std::vector<std::string> requests;

    std::thread thread;

    void Run() {
        while (!stop) {
            if (!Readable(listener)) continue;
            const SOCKET client = accept(listener, nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            Serve(client);
        }
    }

    void Serve(SOCKET client) {
        const DWORD sendTimeout = 10000;
        setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendTimeout),
                   sizeof sendTimeout);

        std::string request;
        const DWORD start = GetTickCount();
        while (!stop && GetTickCount() - start < kRequestTimeMs && request.find("\r\n\r\n") == std::string::npos &&
               request.find("\n\n") == std::string::npos) {
            if (!Readable(client)) continue;
            char piece[4096];
            const int n = recv(client, piece, sizeof piece, 0);
            if (n <= 0) break;
            request.append(piece, static_cast<std::size_t>(n));
        }
        const Reply reply = Choose(request);

        bool reset = false;
        for (const Reply::Step& step : reply.Steps()) {
            if (stop) break;
            if (step.kind == Reply::Step::Send) {
                if (!SendAll(client, step.bytes)) break;
            } else if (step.kind == Reply::Step::Wait) {
                const DWORD waitStart = GetTickCount();
                while (!stop && GetTickCount() - waitStart < static_cast<DWORD>(step.ms)) Sleep(5);
            } else if (step.kind == Reply::Step::Stall) {
                while (!stop) {
                    if (!Readable(client)) continue;
                    char piece[4096];
                    if (recv(client, piece, sizeof piece, 0) <= 0) break;  // the client has gone
                }
                break;
            } else {
                reset = true;
                break;
            }
        }
        if (reset) {
            const linger abort{1, 0};
            setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
        } else {
            shutdown(client, SD_SEND);
        }
        closesocket(client);
        ++finished;
    }

    bool SendAll(SOCKET client, const std::string& bytes) {
        for (std::size_t at = 0; at < bytes.size() && !stop;) {
            const int piece = static_cast<int>(std::min(kSendPiece, bytes.size() - at));
            const int n = send(client, bytes.data() + at, piece, 0);
            if (n <= 0) return false;
            at += static_cast<std::size_t>(n);
        }
        return true;
    }

    Reply Choose(const std::string& request) {
        std::function<Reply(const std::string&)> chooser;
        {
            std::lock_guard<std::mutex> lock(mutex);
            requests.push_back(request);
            if (handler) {
                chooser = handler;
            } else if (const auto route = routes.find(TargetOf(request)); route != routes.end()) {
                return route->second;
            } else if (!queue.empty()) {
                Reply next = std::move(queue.front());
                queue.pop_front();
                return next;
            } else {
                return Reply::Page(404, "<html>not found</html>");
            }
        }
        return chooser(request);
    }
};

HttpServer::HttpServer() : state_(new State) {
    State& s = *state_;
    s.listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s.listener == INVALID_SOCKET) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(s.listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR ||
        listen(s.listener, SOMAXCONN) == SOCKET_ERROR ||
        getsockname(s.listener, reinterpret_cast<sockaddr*>(&address), &length) == SOCKET_ERROR) {
        closesocket(s.listener);
        throw std::runtime_error("the test server could not listen");
    }
    s.port = ntohs(address.sin_port);
    s.thread = std::thread([&s] { s.Run(); });
}

HttpServer::~HttpServer() {
    state_->stop = true;
    state_->thread.join();
    closesocket(state_->listener);
}

std::uint16_t HttpServer::Port() const { return state_->port; }

std::string HttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(state_->port) + path;
}

void HttpServer::Enqueue(Reply reply) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->queue.push_back(std::move(reply));
}

void HttpServer::Route(const std::string& target, Reply reply) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->routes[target] = std::move(reply);
}

void HttpServer::SetHandler(std::function<Reply(const std::string& request)> handler) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->handler = std::move(handler);
}

std::vector<std::string> HttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->requests;
}

std::size_t HttpServer::RequestCount() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->requests.size();
}

std::size_t HttpServer::FinishedCount() const { return state_->finished; }

std::string HttpServer::TargetOf(const std::string& request) {
    const std::string line = request.substr(0, request.find_first_of("\r\n"));
    const std::size_t first = line.find(' ');
    if (first == std::string::npos) return {};
    const std::size_t second = line.find(' ', first + 1);
    return line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

std::uint16_t HttpServer::UnusedPort() {
    WinsockUser winsock;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(s);
    return ntohs(address.sin_port);
}

}  // namespace test_http
