// Capturing the browser's page with the real program, the stand-in browser and
// an HTTP server on 127.0.0.1.
#include <windows.h>

#include "tests/wine/capture_fixture.h"

namespace {

using driver::IsEnabled;
using driver::IsVisible;
using driver::WaitUntil;
using test_http::HttpServer;
using test_http::Reply;

TEST_F(CaptureTest, SavesThePageIntoEachFolder) {
    const std::string page = "<html><body>Hi</body></html>\n";
    server_.Route("/dir/page.html", Reply::Page(200, page));
    const std::string url = server_.Url("/dir/page.html");
    StartBrowser(url);
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);

    Click(0);
    ASSERT_TRUE(WaitUntil([&] { return driver::FileExists(folder1_ + "page.html"); }));
    ASSERT_TRUE(Idle());
    const std::string expected = "<html><body>" + SavedLinkMarker(url) + "Hi</body></html>\r\n";
    EXPECT_EQ(Saved(folder1_ + "page.html"), expected);

    Click(1);
    ASSERT_TRUE(WaitUntil([&] { return driver::FileExists(folder2_ + "page.html"); }));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(Saved(folder2_ + "page.html"), expected);
    EXPECT_EQ(driver::FindMessageBox(Program().Id()), nullptr);

    // One plain HTTP/1.0 GET per capture, with the host named.
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].rfind("GET /dir/page.html HTTP/1.0\r\n", 0), 0u) << requests[0];
    EXPECT_NE(requests[0].find("\r\nHost: 127.0.0.1:" + std::to_string(server_.Port()) + "\r\n"), std::string::npos);
}

TEST_F(CaptureTest, SameAddressTwiceGetsTheNextFreeName) {
    server_.Route("/", Reply::Page(200, "x"));
    StartBrowser(server_.Url("/"));
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    for (const char* name : {"index.html", "index_001.html"}) {
        Click(0);
        ASSERT_TRUE(WaitUntil([&] { return driver::FileExists(folder1_ + name); })) << name;
        ASSERT_TRUE(Idle());
    }
}

TEST_F(CaptureTest, NotFoundSavesNothingAndShowsNothing) {
    server_.Route("/gone.html", Reply::Page(404, "missing"));
    StartBrowser(server_.Url("/gone.html"));
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    Click(0);
    ASSERT_TRUE(WaitUntil([&] { return server_.RequestCount() == 1; }));
    ASSERT_TRUE(Idle());
    Sleep(200);
    EXPECT_EQ(driver::FindMessageBox(Program().Id()), nullptr);
    EXPECT_FALSE(driver::FileExists(folder1_ + "gone.html"));
}

TEST_F(CaptureTest, FailedFetchesShowTheMessageThenRestoreTheWindow) {
    StartBrowser("about:blank");
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    const std::string addresses[] = {
        "https://127.0.0.1/secure.html",
        "http://127.0.0.1:" + std::to_string(HttpServer::UnusedPort()) + "/refused.html",
        "http://nohost.invalid/page.html",
    };
    for (const std::string& address : addresses) {
        SCOPED_TRACE(address);
        BrowseTo(address);
        Click(0);
        ExpectFailureMessage();
    }
}

TEST_F(CaptureTest, RedirectsAreFollowedAndTheBrowserAddressNamesTheFile) {
    server_.Route("/a/start.html", Reply::Redirect(302, "next.html"));
    server_.Route("/a/next.html", Reply::Redirect(301, "/final/end.html"));
    server_.Route("/final/end.html", Reply::Page(200, "<BODY>end"));
    const std::string url = server_.Url("/a/start.html");
    StartBrowser(url);
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    Click(0);
    ASSERT_TRUE(WaitUntil([&] { return driver::FileExists(folder1_ + "start.html"); }));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(Saved(folder1_ + "start.html"), "<BODY>" + SavedLinkMarker(url) + "end");
    EXPECT_EQ(server_.RequestCount(), 3u);
}

TEST_F(CaptureTest, RedirectLoopShowsTheMessage) {
    server_.Route("/loop.html", Reply::Redirect(302, "/loop.html"));
    StartBrowser(server_.Url("/loop.html"));
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    Click(0);
    ExpectFailureMessage();
    EXPECT_FALSE(driver::FileExists(folder1_ + "loop.html"));
}

TEST_F(CaptureTest, SlowResponseKeepsTheRunBusyAndTheWindowAnswering) {
    server_.Route("/slow.html", Reply()
                                    .Send("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\n")
                                    .Wait(1500)
                                    .Send("slow"));
    StartBrowser(server_.Url("/slow.html"));
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    Click(1);
    ASSERT_TRUE(WaitUntil([&] { return server_.RequestCount() == 1; }));
    EXPECT_EQ(driver::Caption(tool_), "LC(取得中)");
    EXPECT_TRUE(IsVisible(Notice()));
    EXPECT_FALSE(IsEnabled(tool_));
    // The window still answers, and a user's click on a button reaches nothing.
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(tool_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, &result));
    driver::ClickAt(driver::ScreenCentre(driver::ChildWindows(tool_).at(0)));

    ASSERT_TRUE(WaitUntil([&] { return driver::FileExists(folder2_ + "slow.html"); }));
    ASSERT_TRUE(Idle());
    Sleep(300);
    EXPECT_EQ(server_.RequestCount(), 1u);
    EXPECT_FALSE(driver::FileExists(folder1_ + "slow.html"));
}

TEST_F(CaptureTest, EmptyAddressFetchesNothing) {
    StartBrowser("");
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    Click(0);
    Sleep(300);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(server_.RequestCount(), 0u);
    EXPECT_EQ(driver::FindMessageBox(Program().Id()), nullptr);
}

TEST_F(CaptureTest, MissingFolderShowsTheMessageAndLeavesNoFile) {
    server_.Route("/p.html", Reply::Page(200, "<body>x"));
    StartBrowser(server_.Url("/p.html"));
    ASSERT_NE(StartWithFolders(dir_ + "missing\\", folder2_), nullptr);
    Click(0);
    ExpectFailureMessage();
    EXPECT_FALSE(driver::FileExists(dir_ + "missing"));
}

// No browser runs: the one the registry names is started, and its page saved.
TEST_F(CaptureTest, StartsTheRegisteredBrowserWhenNoneRuns) {
    server_.Route("/started.html", Reply::Page(200, "<body>started"));
    const std::string url = server_.Url("/started.html");
    SetEnvironmentVariableA("LC_STAND_IN_URL", url.c_str());
    ScopedRegistryValue browser(HKEY_LOCAL_MACHINE, kBrowserKey, REG_SZ,
                                driver::ExeFolder() + "stand_in_browser.exe" + std::string(1, '\0'));
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    SetEnvironmentVariableA("LC_STAND_IN_URL", nullptr);
    Click(0);
    ASSERT_TRUE(WaitUntil([&] { return driver::FileExists(folder1_ + "started.html"); }, 15000));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(Saved(folder1_ + "started.html"), "<body>" + SavedLinkMarker(url) + "started");

    HWND started = driver::WaitForWindow([] { return FindWindowA(nullptr, "Stand-in browser"); });
    ASSERT_NE(started, nullptr);
    DWORD pid = 0;
    GetWindowThreadProcessId(started, &pid);
    driver::PostClose(started);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process) {
        WaitForSingleObject(process, 3000);
        CloseHandle(process);
    }
}

}  // namespace
