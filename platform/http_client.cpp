// The HTTP client over non-blocking Winsock sockets. Nothing here blocks the
// thread: every wait is MsgWaitForMultipleObjectsEx on the socket's event and the
// thread's input, and the waiting messages are dispatched on every wake-up. Host
// names are looked up with WSAAsyncGetHostByName, which reports to a hidden
// message-only window.
#include <winsock2.h>
#include <windows.h>

#include "platform/http_client.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "platform/application.h"
#include "platform/exception.h"
#include "platform/http_message.h"

namespace platform {

namespace {

constexpr UINT kLookupDone = WM_APP + 1;        // a message of the lookup window only
constexpr std::size_t kBufferSize = 1 << 20;    // one recv at most
constexpr int kReadsPerWakeUp = 4;              // then the messages get their turn
constexpr DWORD kLongestWait = 100;             // ms; a wait never sleeps longer
constexpr char kLookupWindowClass[] = "PlatformHttpLookupWindow";

std::string ErrorText(int code) {
    const char* name = nullptr;
    switch (code) {
        case WSAECONNREFUSED: name = "connection refused"; break;
        case WSAECONNRESET: name = "connection reset"; break;
        case WSAECONNABORTED: name = "connection aborted"; break;
        case WSAETIMEDOUT: name = "timed out"; break;
        case WSAEHOSTUNREACH: name = "host unreachable"; break;
        case WSAENETUNREACH: name = "network unreachable"; break;
        case WSAENETDOWN: name = "network down"; break;
        case WSAHOST_NOT_FOUND: name = "host not found"; break;
        case WSATRY_AGAIN: name = "host not found, try again"; break;
        case WSANO_DATA: name = "no address for the name"; break;
        default: break;
    }
    const std::string number = "error " + std::to_string(code);
    return name ? std::string(name) + ", " + number : number;
}

// A name lookup under way. Its buffer is written by Winsock until the report
// arrives, so it lives until then even when nobody waits for it any more.
struct Lookup {
    HANDLE task = nullptr;
    std::unique_ptr<char[]> buffer{new char[MAXGETHOSTSTRUCT]};
    bool done = false;
    int error = 0;
};

// Winsock for the whole process, started on first use and cleaned up at its
// end, and the window that name lookups report to.
class Winsock {
public:
    static Winsock& Instance() {
        static Winsock winsock;
        if (winsock.startError_ != 0)
            throw Exception("Windows Sockets could not be started (" + ErrorText(winsock.startError_) + ")");
        return winsock;
    }

    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;

    std::shared_ptr<Lookup> StartLookup(const std::string& host) {
        if (!window_) throw Exception("Host name lookup is not available for " + host);
        auto lookup = std::make_shared<Lookup>();
        lookup->task = WSAAsyncGetHostByName(window_, kLookupDone, host.c_str(), lookup->buffer.get(),
                                             MAXGETHOSTSTRUCT);
        if (!lookup->task) throw Exception("Host not found: " + host + " (" + ErrorText(WSAGetLastError()) + ")");
        lookups_.push_back(lookup);
        return lookup;
    }

    // Gives up a lookup that has not reported; it stays listed until it does.
    void Abandon(const std::shared_ptr<Lookup>& lookup) {
        if (!lookup->done) WSACancelAsyncRequest(lookup->task);
    }

    // Takes the lookup reports waiting in the thread's queue.
    void CollectReports() {
        if (!window_) return;
        MSG message;
        while (PeekMessageA(&message, window_, kLookupDone, kLookupDone, PM_REMOVE))
            Report(reinterpret_cast<HANDLE>(message.wParam), message.lParam);
    }

private:
    Winsock() {
        WSADATA data;
        startError_ = WSAStartup(MAKEWORD(2, 2), &data);
        if (startError_ != 0) return;
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kLookupWindowClass;
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, kLookupWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                                  nullptr);
    }

    ~Winsock() {
        // Lookups still under way may yet write their buffers: those are left.
        for (auto& lookup : lookups_) static_cast<void>(lookup->buffer.release());
        if (window_) DestroyWindow(window_);
        if (startError_ == 0) WSACleanup();
    }

    void Report(HANDLE task, LPARAM result) {
        const auto found = std::find_if(lookups_.begin(), lookups_.end(),
                                        [task](const auto& lookup) { return lookup->task == task; });
        if (found == lookups_.end()) return;
        (*found)->done = true;
        (*found)->error = WSAGETASYNCERROR(result);
        lookups_.erase(found);
    }

    // The report also arrives here when some other loop dispatches it.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kLookupDone) {
            Instance().Report(reinterpret_cast<HANDLE>(wParam), lParam);
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    int startError_ = 0;
    HWND window_ = nullptr;
    std::vector<std::shared_ptr<Lookup>> lookups_;  // reports not yet arrived
};

// A TCP socket in non-blocking mode with the event that signals its progress.
class Connection {
public:
    Connection() {
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (socket_ == INVALID_SOCKET)
            throw Exception("Could not create a socket (" + ErrorText(WSAGetLastError()) + ")");
        event_ = WSACreateEvent();
        if (event_ == WSA_INVALID_EVENT) {
            const int error = WSAGetLastError();
            closesocket(socket_);
            throw Exception("Could not create a socket event (" + ErrorText(error) + ")");
        }
        if (WSAEventSelect(socket_, event_, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) == SOCKET_ERROR) {
            const int error = WSAGetLastError();
            WSACloseEvent(event_);
            closesocket(socket_);
            throw Exception("Could not watch a socket (" + ErrorText(error) + ")");
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() {
        closesocket(socket_);
        WSACloseEvent(event_);
    }

    SOCKET Socket() const { return socket_; }
    HANDLE Event() const { return event_; }

    // What happened since the last call; resets the event.
    WSANETWORKEVENTS TakeEvents() {
        WSANETWORKEVENTS events{};
        if (WSAEnumNetworkEvents(socket_, event_, &events) == SOCKET_ERROR)
            throw Exception("Socket error (" + ErrorText(WSAGetLastError()) + ")");
        if ((events.lNetworkEvents & FD_CLOSE) && events.iErrorCode[FD_CLOSE_BIT] != 0)
            closeError_ = events.iErrorCode[FD_CLOSE_BIT];
        return events;
    }

    // The error of an abortive close by the other side (a reset), 0 when none was
    // seen; recv may report such a close as an ordinary end.
    int CloseError() const { return closeError_; }

private:
    SOCKET socket_ = INVALID_SOCKET;
    WSAEVENT event_ = WSA_INVALID_EVENT;
    int closeError_ = 0;
};

// The waits of one request: each sleeps until the socket's event, new input or
// a short while, then lets the messages through. Progress restarts the clock of
// the time limit.
class Waiter {
public:
    Waiter(const std::function<void()>& dispatch, unsigned long timeoutMs)
        : dispatch_(dispatch), timeoutMs_(timeoutMs), last_(GetTickCount()) {}

    void Progress() { last_ = GetTickCount(); }

    // Throws once the time limit has passed since the last progress.
    void CheckTime(const std::string& what) const {
        if (timeoutMs_ != 0 && GetTickCount() - last_ >= timeoutMs_)
            throw Exception(what + ": no progress for " + std::to_string(timeoutMs_) + " ms");
    }

    void Wait(HANDLE event) {
        DWORD ms = kLongestWait;
        if (timeoutMs_ != 0) {
            const DWORD passed = GetTickCount() - last_;
            ms = std::min<DWORD>(ms, passed >= timeoutMs_ ? 0 : static_cast<DWORD>(timeoutMs_ - passed));
        }
        HANDLE handles[1] = {event};
        MsgWaitForMultipleObjectsEx(event ? 1 : 0, handles, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        Dispatch();
    }

    void Dispatch() {
        Winsock::Instance().CollectReports();
        if (dispatch_) dispatch_();
    }

private:
    const std::function<void()> dispatch_;  // a copy: a handler may replace the client's
    const unsigned long timeoutMs_;
    DWORD last_;
};

// The host's IPv4 address in network order.
u_long Resolve(const std::string& host, Waiter& waiter) {
    if (const std::optional<std::uint32_t> address = http::ParseIPv4(host)) return *address;
    if (!host.empty() && host[0] == '[') throw Exception("IPv6 addresses are not supported: " + host);

    Winsock& winsock = Winsock::Instance();
    const std::shared_ptr<Lookup> lookup = winsock.StartLookup(host);
    struct Abandoner {
        Winsock& winsock;
        const std::shared_ptr<Lookup>& lookup;
        ~Abandoner() { winsock.Abandon(lookup); }
    } abandoner{winsock, lookup};

    waiter.Progress();
    while (!lookup->done) {
        waiter.CheckTime("Looking up " + host);
        waiter.Wait(nullptr);
    }
    if (lookup->error != 0) throw Exception("Host not found: " + host + " (" + ErrorText(lookup->error) + ")");
    const auto* entry = reinterpret_cast<const hostent*>(lookup->buffer.get());
    if (entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list || !entry->h_addr_list[0])
        throw Exception("Host not found: " + host + " (no IPv4 address)");
    u_long address = 0;
    std::memcpy(&address, entry->h_addr_list[0], 4);
    return address;
}

}  // namespace

HttpClient::HttpClient() {
    ProcessMessages = [] {
        Application& application = Application::Instance();
        application.ProcessMessages();
        if (application.Terminated()) throw Exception("The request was stopped: the application is ending");
    };
}

HttpClient::~HttpClient() = default;

void HttpClient::Get(const std::string& url) {
    if (busy_) throw Exception("The HTTP client is already fetching an address");
    std::string().swap(Body);
    std::string().swap(Header);
    status_ = 0;
    std::string address = url;
    for (int redirects = 0;; ++redirects) {
        const http::Url target = http::ParseUrl(address);
        {
            busy_ = true;
            struct Idle {
                bool& busy;
                ~Idle() { busy = false; }
            } idle{busy_};
            http::ResponseReader response = Fetch(target);
            status_ = response.Status();
            Header = std::move(response.Header());
            Body = std::move(response.Body());
        }
        // The connection is closed by now; the handlers may start another Get.
        if (status_ < 300) {
            if (OnSuccess) OnSuccess();
            return;
        }
        if (http::IsRedirect(status_)) {
            const std::optional<std::string> location = http::FindHeader(Header, "Location");
            if (location && !location->empty()) {
                if (redirects >= MaxRedirects)
                    throw Exception("Too many redirects (more than " + std::to_string(MaxRedirects) +
                                    ") from " + url);
                address = http::ResolveLocation(target, *location);
                continue;
            }
        }
        if (OnFailure) OnFailure(status_);
        return;
    }
}

http::ResponseReader HttpClient::Fetch(const http::Url& url) {
    const std::string where = url.host + ":" + std::to_string(url.port);
    Winsock::Instance();
    Waiter waiter(ProcessMessages, TimeoutMs);
    try {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(url.port);
        address.sin_addr.s_addr = Resolve(url.host, waiter);

        Connection connection;
        const SOCKET s = connection.Socket();

        waiter.Progress();
        if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK)
                throw Exception("Could not connect to " + where + " (" + ErrorText(error) + ")");
            for (;;) {
                const WSANETWORKEVENTS events = connection.TakeEvents();
                if (events.lNetworkEvents & FD_CONNECT) {
                    if (const int e = events.iErrorCode[FD_CONNECT_BIT])
                        throw Exception("Could not connect to " + where + " (" + ErrorText(e) + ")");
                    break;
                }
                waiter.CheckTime("Connecting to " + where);
                waiter.Wait(connection.Event());
            }
        }

        const std::string request = http::BuildRequest(url);
        waiter.Progress();
        for (std::size_t sent = 0; sent < request.size();) {
            const int n = send(s, request.data() + sent, static_cast<int>(request.size() - sent), 0);
            if (n != SOCKET_ERROR) {
                sent += static_cast<std::size_t>(n);
                waiter.Progress();
                continue;
            }
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK)
                throw Exception("Could not send the request to " + where + " (" + ErrorText(error) + ")");
            waiter.CheckTime("Sending to " + where);
            waiter.Wait(connection.Event());
            connection.TakeEvents();
        }

        if (!buffer_) buffer_.reset(new char[kBufferSize]);
        http::ResponseReader response(MaxHeaderBytes, MaxBodyBytes);
        waiter.Progress();
        for (;;) {
            bool drained = false;
            for (int i = 0; i < kReadsPerWakeUp && !drained; ++i) {
                const int n = recv(s, buffer_.get(), static_cast<int>(kBufferSize), 0);
                if (n > 0) {
                    waiter.Progress();
                    if (response.Feed(buffer_.get(), static_cast<std::size_t>(n))) return response;
                } else if (n == 0) {
                    connection.TakeEvents();
                    if (const int error = connection.CloseError())
                        throw Exception("Could not receive the response from " + where + " (" +
                                        ErrorText(error) + ")");
                    response.Close();
                    return response;
                } else if (const int error = WSAGetLastError(); error == WSAEWOULDBLOCK) {
                    drained = true;
                } else {
                    throw Exception("Could not receive the response from " + where + " (" + ErrorText(error) +
                                    ")");
                }
            }
            if (drained) {
                waiter.CheckTime("Waiting for " + where);
                waiter.Wait(connection.Event());
                connection.TakeEvents();
            } else {
                waiter.Dispatch();  // data keeps coming: the messages still get their turn
            }
        }
    } catch (const std::bad_alloc&) {
        throw Exception("Not enough memory for the response from " + where);
    }
}

}  // namespace platform
