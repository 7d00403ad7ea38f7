// The HTTP client against a scripted server on 127.0.0.1, under Wine.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/application.h"
#include "platform/exception.h"
#include "platform/http_client.h"
#include "tests/wine/http_server.h"

namespace {

using namespace std::string_literals;
using test_http::HttpServer;
using test_http::Reply;

const std::string kAccept = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n";
const std::string kContentType = "Content-type: text/html\r\n";

class HttpClientWin : public testing::Test {
protected:
    void SetUp() override {
        client_.TimeoutMs = 10000;  // a test that goes wrong still ends
        client_.OnSuccess = [this] {
            ++successes_;
            bodyAtSuccess_ = client_.Body;
            successInsideGet_ = insideGet_;
        };
        client_.OnFailure = [this](int status) {
            ++failures_;
            failedStatus_ = status;
        };
    }

    void Get(const std::string& url) {
        insideGet_ = true;
        struct Outside {
            bool& inside;
            ~Outside() { inside = false; }
        } outside{insideGet_};
        client_.Get(url);
    }

    // The message of the Exception that ends Get; a failure when there is none.
    std::string GetFails(const std::string& url) {
        try {
            Get(url);
        } catch (const platform::Exception& error) {
            return error.Message();
        }
        ADD_FAILURE() << "no exception for " << url;
        return {};
    }

    HttpServer server_;
    platform::HttpClient client_;
    int successes_ = 0;
    int failures_ = 0;
    int failedStatus_ = -1;
    std::string bodyAtSuccess_;
    bool insideGet_ = false;
    bool successInsideGet_ = false;
};

// ---- Success and failure -------------------------------------------------------

TEST_F(HttpClientWin, PageArrivesByteForByteAndOnSuccessRunsOnceInsideGet) {
    std::string body = "<html>\r\n\0NUL\r\n\r\nafter an empty line\n\n\x82\xA0\xFF"s;
    for (int i = 0; i < 256; ++i) body += static_cast<char>(i);
    server_.Enqueue(Reply::Page(200, body));
    Get(server_.Url("/page.html"));
    EXPECT_EQ(successes_, 1);
    EXPECT_TRUE(successInsideGet_);
    EXPECT_EQ(bodyAtSuccess_, body);
    EXPECT_EQ(client_.Body, body);
    EXPECT_EQ(client_.Header, "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n");
    EXPECT_EQ(client_.Status(), 200);
    EXPECT_EQ(failures_, 0);
}

TEST_F(HttpClientWin, RequestIsAnHttp10GetWithHostAndTheTwoFixedLines) {
    server_.Enqueue(Reply::Page(200, "ok"));
    Get(server_.Url("/dir/page.html?a=1&b=2#fragment"));
    const std::vector<std::string> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], "GET /dir/page.html?a=1&b=2 HTTP/1.0\r\n"
                           "Host: 127.0.0.1:" + std::to_string(server_.Port()) + "\r\n" +
                               kAccept + kContentType + "\r\n");
}

TEST_F(HttpClientWin, EmptyPathIsSentAsSlash) {
    server_.Enqueue(Reply::Page(200, "ok"));
    Get("HTTP://127.0.0.1:" + std::to_string(server_.Port()));
    ASSERT_EQ(server_.RequestCount(), 1u);
    EXPECT_EQ(server_.Requests()[0].substr(0, 16), "GET / HTTP/1.0\r\n");
}

TEST_F(HttpClientWin, LocalhostIsLookedUp) {
    server_.Enqueue(Reply::Page(200, "local"));
    Get("http://localhost:" + std::to_string(server_.Port()) + "/x");
    EXPECT_EQ(successes_, 1);
    EXPECT_EQ(client_.Body, "local");
    ASSERT_EQ(server_.RequestCount(), 1u);
    EXPECT_NE(server_.Requests()[0].find("\r\nHost: localhost:" + std::to_string(server_.Port()) + "\r\n"),
              std::string::npos);
}

TEST_F(HttpClientWin, NotFoundCallsOnFailureAndReturns) {
    server_.Enqueue(Reply::Page(404, "<html>missing</html>"));
    Get(server_.Url("/missing.html"));
    EXPECT_EQ(failures_, 1);
    EXPECT_EQ(failedStatus_, 404);
    EXPECT_EQ(successes_, 0);
    EXPECT_EQ(client_.Body, "<html>missing</html>");
}

TEST_F(HttpClientWin, FailureWithoutHandlerReturns) {
    client_.OnFailure = nullptr;
    server_.Enqueue(Reply::Page(500, "broken"));
    Get(server_.Url("/"));
    EXPECT_EQ(successes_, 0);
    EXPECT_EQ(client_.Status(), 500);
}

struct StatusCase {
    const char* name;
    std::string response;
    bool success;
    int status;
};

class HttpClientWinStatus : public HttpClientWin, public testing::WithParamInterface<StatusCase> {};

TEST_P(HttpClientWinStatus, BelowThreeHundredSucceedsOthersFail) {
    server_.Enqueue(Reply().Send(GetParam().response));
    Get(server_.Url("/s"));
    EXPECT_EQ(successes_, GetParam().success ? 1 : 0);
    EXPECT_EQ(failures_, GetParam().success ? 0 : 1);
    if (!GetParam().success) {
        EXPECT_EQ(failedStatus_, GetParam().status);
    }
    EXPECT_EQ(client_.Status(), GetParam().status);
    EXPECT_EQ(server_.RequestCount(), 1u);  // nothing followed
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpClientWinStatus,
    testing::Values(
        StatusCase{"Ok", "HTTP/1.0 200 OK\r\n\r\nbody", true, 200},
        StatusCase{"NoContent", "HTTP/1.0 204 No Content\r\n\r\n", true, 204},
        StatusCase{"Status299", "HTTP/1.1 299 Odd\r\n\r\nbody", true, 299},
        StatusCase{"GarbageStatusIsZero", "garbage\r\n\r\nbody", true, 0},
        StatusCase{"BareLf", "HTTP/1.0 200 OK\nServer: x\n\nbody", true, 200},
        StatusCase{"UseProxyIsNotFollowed", "HTTP/1.0 305 Use Proxy\r\nLocation: /proxy\r\n\r\n", false, 305},
        StatusCase{"NotModified", "HTTP/1.0 304 Not Modified\r\nLocation: /x\r\n\r\n", false, 304},
        StatusCase{"RedirectWithoutLocation", "HTTP/1.0 302 Found\r\n\r\nnowhere", false, 302},
        StatusCase{"RedirectWithEmptyLocation", "HTTP/1.0 301 Moved\r\nLocation: \r\n\r\n", false, 301},
        StatusCase{"BadRequest", "HTTP/1.0 400 Bad Request\r\n\r\n", false, 400},
        StatusCase{"ServerError", "HTTP/1.1 503 Busy\r\nContent-Length: 4\r\n\r\nbusy", false, 503}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Errors --------------------------------------------------------------------

TEST_F(HttpClientWin, RefusedConnectionThrows) {
    const std::string message = GetFails("http://127.0.0.1:" + std::to_string(HttpServer::UnusedPort()) + "/");
    EXPECT_NE(message.find("Could not connect"), std::string::npos) << message;
    EXPECT_EQ(successes_ + failures_, 0);
}

TEST_F(HttpClientWin, UnknownHostThrows) {
    // "Host not found: nohost.invalid (...)" at once without a network; a
    // resolver that cannot be reached runs into the time limit instead.
    const std::string message = GetFails("http://nohost.invalid/page.html");
    EXPECT_NE(message.find("nohost.invalid"), std::string::npos) << message;
    EXPECT_EQ(successes_ + failures_, 0);
}

TEST_F(HttpClientWin, RefusedAddressesThrowWithoutARequest) {
    const std::string port = std::to_string(server_.Port());
    const std::vector<std::string> urls = {"https://127.0.0.1:" + port + "/", "http://127.0.0.1:x/",
                                           "ftp://127.0.0.1:" + port + "/", "127.0.0.1:" + port + "/",
                                           "http:///"};
    for (const std::string& url : urls) GetFails(url);
    EXPECT_EQ(server_.RequestCount(), 0u);
    EXPECT_EQ(successes_ + failures_, 0);
}

TEST_F(HttpClientWin, EmptyReplyThrows) {
    server_.Enqueue(Reply());
    GetFails(server_.Url("/"));
    EXPECT_EQ(successes_ + failures_, 0);
}

// Under Wine a reset on a socket watched with WSAEventSelect is reported as an
// ordinary close (FD_CLOSE without an error, then recv returns 0), so only a
// reset that leaves the body short can be told from a complete response here.
TEST_F(HttpClientWin, ResetInTheBodyThrows) {
    server_.Enqueue(Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npartial").Wait(100).Reset());
    GetFails(server_.Url("/"));
    EXPECT_EQ(successes_, 0);
}

// ---- Redirects -----------------------------------------------------------------

TEST_F(HttpClientWin, RedirectChainEndsAtTheFinalBody) {
    const std::string host = "127.0.0.1:" + std::to_string(server_.Port());
    server_.Route("/start", Reply::Redirect(300, "next/one.html"));
    server_.Route("/next/one.html", Reply::Redirect(301, "../two.html"));
    server_.Route("/two.html", Reply::Redirect(302, "three.html?x=1#frag"));
    server_.Route("/three.html?x=1", Reply::Redirect(303, "/four"));
    server_.Route("/four", Reply::Redirect(307, "http://" + host + "/five"));
    server_.Route("/five", Reply::Redirect(308, "//" + host + "/six"));
    server_.Route("/six", Reply::Redirect(302, "?y=2"));
    server_.Route("/six?y=2", Reply::Page(200, "final"));
    Get(server_.Url("/start"));
    EXPECT_EQ(successes_, 1);
    EXPECT_EQ(failures_, 0);
    EXPECT_EQ(bodyAtSuccess_, "final");
    std::vector<std::string> targets;
    for (const std::string& request : server_.Requests()) targets.push_back(HttpServer::TargetOf(request));
    EXPECT_EQ(targets, (std::vector<std::string>{"/start", "/next/one.html", "/two.html", "/three.html?x=1",
                                                 "/four", "/five", "/six", "/six?y=2"}));
}

class HttpClientWinRedirect : public HttpClientWin, public testing::WithParamInterface<int> {};

TEST_P(HttpClientWinRedirect, IsFollowedOnce) {
    server_.Route("/from", Reply::Redirect(GetParam(), "/to"));
    server_.Route("/to", Reply::Page(200, "arrived"));
    Get(server_.Url("/from"));
    EXPECT_EQ(successes_, 1);
    EXPECT_EQ(client_.Body, "arrived");
    EXPECT_EQ(client_.Status(), 200);
    EXPECT_EQ(server_.RequestCount(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Statuses, HttpClientWinRedirect, testing::Values(300, 301, 302, 303, 307, 308));

TEST_F(HttpClientWin, RedirectLoopThrowsAfterTwentyOneRequests) {
    server_.Route("/loop", Reply::Redirect(302, "/loop"));
    const std::string message = GetFails(server_.Url("/loop"));
    EXPECT_NE(message.find("Too many redirects"), std::string::npos) << message;
    EXPECT_EQ(server_.RequestCount(), 21u);
    EXPECT_EQ(successes_ + failures_, 0);
}

TEST_F(HttpClientWin, RedirectToHttpsThrows) {
    server_.Route("/from", Reply::Redirect(301, "https://127.0.0.1/"));
    const std::string message = GetFails(server_.Url("/from"));
    EXPECT_NE(message.find("https"), std::string::npos) << message;
}

// ---- Body length ---------------------------------------------------------------

TEST_F(HttpClientWin, CloseBeforeTheContentLengthThrows) {
    server_.Enqueue(Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nshort"));
    GetFails(server_.Url("/"));
    EXPECT_EQ(successes_, 0);
}

TEST_F(HttpClientWin, WithoutContentLengthTheBodyRunsToTheClose) {
    server_.Enqueue(Reply().Send("HTTP/1.0 200 OK\r\n").Wait(50).Send("\r\nfirst ").Wait(100).Send("second"));
    Get(server_.Url("/"));
    EXPECT_EQ(successes_, 1);
    EXPECT_EQ(client_.Body, "first second");
}

TEST_F(HttpClientWin, BytesAfterTheContentLengthAreDropped) {
    server_.Enqueue(Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabcdef"));
    Get(server_.Url("/"));
    EXPECT_EQ(client_.Body, "abc");
}

TEST_F(HttpClientWin, ContentLengthEndsTheResponseWithoutWaitingForTheClose) {
    server_.Enqueue(Reply::Page(200, "complete").Stall());
    const DWORD start = GetTickCount();
    Get(server_.Url("/"));
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(client_.Body, "complete");
}

// ---- OnSuccess -------------------------------------------------------------------

TEST_F(HttpClientWin, ConnectionIsClosedBeforeOnSuccess) {
    server_.Enqueue(Reply::Page(200, "page").Stall());  // the server waits for the client to close
    bool closedFirst = false;
    client_.OnSuccess = [&] {
        const DWORD start = GetTickCount();
        while (server_.FinishedCount() == 0 && GetTickCount() - start < 3000) Sleep(5);
        closedFirst = server_.FinishedCount() == 1;
    };
    Get(server_.Url("/"));
    EXPECT_TRUE(closedFirst);
}

TEST_F(HttpClientWin, ExceptionFromOnSuccessPassesOutOfGet) {
    server_.Enqueue(Reply::Page(200, "page"));
    server_.Enqueue(Reply::Page(200, "page"));
    client_.OnSuccess = [] { throw platform::Exception("cannot save"); };
    EXPECT_EQ(GetFails(server_.Url("/")), "cannot save");
    client_.OnSuccess = [] { throw std::runtime_error("other"); };
    EXPECT_THROW(Get(server_.Url("/")), std::runtime_error);
    // The client is usable again.
    server_.Enqueue(Reply::Page(200, "again"));
    client_.OnSuccess = [this] { ++successes_; };
    Get(server_.Url("/"));
    EXPECT_EQ(successes_, 1);
    EXPECT_EQ(client_.Body, "again");
}

// ---- Limits --------------------------------------------------------------------

TEST_F(HttpClientWin, StalledServerTimesOut) {
    client_.TimeoutMs = 300;
    server_.Enqueue(Reply().Stall());
    const DWORD start = GetTickCount();
    const std::string message = GetFails(server_.Url("/"));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 250u);
    EXPECT_LT(took, 1500u);
    EXPECT_NE(message.find("no progress for 300 ms"), std::string::npos) << message;
}

TEST_F(HttpClientWin, ServerStalledInTheBodyTimesOut) {
    client_.TimeoutMs = 300;
    server_.Enqueue(Reply().Send("HTTP/1.0 200 OK\r\n\r\npart").Wait(200).Send("more").Stall());
    const DWORD start = GetTickCount();
    GetFails(server_.Url("/"));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 450u);  // the second piece restarted the clock
    EXPECT_LT(took, 2500u);
    EXPECT_EQ(successes_, 0);
}

TEST_F(HttpClientWin, HeaderOverItsLimitThrows) {
    client_.MaxHeaderBytes = 1024;
    server_.Enqueue(Reply::Page(200, "x", true, "X-Big: " + std::string(2000, 'a') + "\r\n"));
    server_.Enqueue(Reply().Send("HTTP/1.0 200 OK\r\n" + std::string(5000, 'b')).Stall());
    EXPECT_NE(GetFails(server_.Url("/")).find("header"), std::string::npos);
    EXPECT_NE(GetFails(server_.Url("/")).find("header"), std::string::npos);
    EXPECT_EQ(successes_, 0);
}

TEST_F(HttpClientWin, BodyOverItsLimitThrows) {
    client_.MaxBodyBytes = 1000;
    server_.Enqueue(Reply::Page(200, std::string(1001, 'x'), false));
    server_.Enqueue(Reply::Page(200, std::string(1001, 'x'), true));
    server_.Enqueue(Reply::Page(200, std::string(1000, 'x'), false));
    EXPECT_NE(GetFails(server_.Url("/")).find("body"), std::string::npos);
    EXPECT_NE(GetFails(server_.Url("/")).find("body"), std::string::npos);
    EXPECT_EQ(successes_, 0);
    Get(server_.Url("/"));
    EXPECT_EQ(client_.Body.size(), 1000u);
}

// ---- The user interface stays alive ----------------------------------------------

std::atomic<int> g_ticks{0};
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

constexpr UINT kPing = WM_APP + 7;
int g_pings = 0;
LRESULT CALLBACK PingWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
        ++g_pings;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(HttpClientWin, MessagesAreDispatchedWhileTheServerIsSlow) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PingWindow;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "HttpClientWinTestPing";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                  nullptr);
    ASSERT_NE(window, nullptr);
    g_pings = 0;
    g_ticks = 0;

    server_.Enqueue(Reply().Wait(600).Send("HTTP/1.0 200 OK\r\n\r\nslow"));
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, CountTick);
    std::thread poster([window] {
        Sleep(200);
        PostMessageA(window, kPing, 0, 0);
    });
    Get(server_.Url("/slow"));
    const int ticks = g_ticks;
    const int pings = g_pings;
    KillTimer(nullptr, timer);
    poster.join();
    DestroyWindow(window);

    EXPECT_EQ(client_.Body, "slow");
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(pings, 1);
    RecordProperty("timer_ticks", ticks);
}

// The waits sleep 100 ms at most, even when no message comes.
TEST_F(HttpClientWin, DispatcherRunsWhileNothingHappens) {
    std::vector<DWORD> calls;
    client_.ProcessMessages = [&calls] { calls.push_back(GetTickCount()); };
    server_.Enqueue(Reply().Wait(1000).Send("HTTP/1.0 200 OK\r\n\r\nslow"));
    const DWORD start = GetTickCount();
    Get(server_.Url("/slow"));
    const DWORD end = GetTickCount();
    ASSERT_GE(calls.size(), 5u);
    DWORD longestGap = calls.front() - start;
    for (std::size_t i = 1; i < calls.size(); ++i) longestGap = std::max(longestGap, calls[i] - calls[i - 1]);
    longestGap = std::max(longestGap, end - calls.back());
    EXPECT_LT(longestGap, 400u);
}

TEST_F(HttpClientWin, SecondGetDuringTheWaitThrowsAndTheFirstCompletes) {
    server_.Enqueue(Reply().Wait(300).Send("HTTP/1.0 200 OK\r\n\r\nfirst"));
    std::string nested;
    int calls = 0;
    client_.ProcessMessages = [&] {
        if (++calls != 2) return;
        try {
            client_.Get(server_.Url("/nested"));
            nested = "returned";
        } catch (const platform::Exception& error) {
            nested = error.Message();
        }
    };
    Get(server_.Url("/first"));
    EXPECT_NE(nested.find("already"), std::string::npos) << nested;
    EXPECT_EQ(client_.Body, "first");
    EXPECT_EQ(successes_, 1);
    EXPECT_EQ(server_.RequestCount(), 1u);
}

void CALLBACK QuitSoon(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostQuitMessage(0);
}

TEST_F(HttpClientWin, EndingTheApplicationEndsTheRequest) {
    platform::Application& application = platform::Application::Instance();
    server_.Enqueue(Reply().Stall());
    SetTimer(nullptr, 0, 50, QuitSoon);
    const DWORD start = GetTickCount();
    const std::string message = GetFails(server_.Url("/"));
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_TRUE(application.Terminated());
    EXPECT_NE(message.find("ending"), std::string::npos) << message;
    // Back to a running application for the tests after this one.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    application.Initialize();
}

// ---- Size ----------------------------------------------------------------------

class HttpClientWinLarge : public HttpClientWin, public testing::WithParamInterface<bool> {};

TEST_P(HttpClientWinLarge, FiftyMegabytesFromLoopbackAreFast) {
    const bool contentLength = GetParam();
    std::string body(50u << 20, '\0');
    for (std::size_t i = 0; i < body.size(); i += 4096) body[i] = static_cast<char>(i / 4096);
    server_.Enqueue(Reply::Page(200, body, contentLength));
    int dispatches = 0;
    client_.ProcessMessages = [&dispatches] {
        ++dispatches;
        platform::Application::Instance().ProcessMessages();
    };
    const DWORD start = GetTickCount();
    Get(server_.Url("/big"));
    const DWORD took = GetTickCount() - start;
    EXPECT_EQ(successes_, 1);
    EXPECT_TRUE(client_.Body == body);
    EXPECT_GT(dispatches, 0);
    EXPECT_LT(took, 8000u);  // about 0.3-0.9 s when the machine is idle
    std::printf("50 MiB %s Content-Length: %lu ms, %d dispatches\n", contentLength ? "with" : "without",
                static_cast<unsigned long>(took), dispatches);
}

INSTANTIATE_TEST_SUITE_P(Body, HttpClientWinLarge, testing::Bool(),
                         [](const auto& info) { return info.param ? "WithLength" : "WithoutLength"; });

}  // namespace
