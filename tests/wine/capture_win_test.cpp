// Capturing the browser's page with the real program, the stand-in browser and
// an HTTP server on 127.0.0.1.
#include <windows.h>

#include "tests/wine/http_server.h"
#include "tests/wine/leafcatch_fixture.h"

namespace {

using driver::IsEnabled;
using driver::IsVisible;
using driver::WaitUntil;
using test_http::HttpServer;
using test_http::Reply;

const std::string kPhrase =
    "\x82\x6E\x82\x71\x82\x68\x82\x66\x82\x68\x82\x6D\x82\x60\x82\x6B\x81\x40\x82\x74\x82\x71\x82\x6B";

// The link marker as it stands in a saved file.
std::string SavedLinkMarker(const std::string& url) {
    return "<!--written by Quillbarrow--><BR><A HREF=\"" + url + "\">" + kPhrase + "</A><BR><BR>\r\n";
}

class Capture : public LeafcatchTest {
protected:
    void SetUp() override {
        LeafcatchTest::SetUp();
        folder1_ = dir_ + "one\\";
        folder2_ = dir_ + "two\\";
        CreateDirectoryA(folder1_.c_str(), nullptr);
        CreateDirectoryA(folder2_.c_str(), nullptr);
    }
    void TearDown() override {
        for (HWND w : driver::TopLevelWindows(browser_ ? browser_->Id() : 0)) driver::PostClose(w);
        if (browser_) browser_->WaitForExit(2000);
        browser_.reset();
        LeafcatchTest::TearDown();
    }

    // The stand-in browser, showing `address`; ready once its service answers.
    void StartBrowser(const std::string& address) {
        const std::string state = dir_ + "browser-state.txt";
        browser_.emplace(driver::Process::Launch(driver::ExeFolder() + "stand_in_browser.exe", dir_,
                                                 "\"" + address + "\" --state \"" + state + "\""));
        ASSERT_TRUE(WaitUntil([&] { return driver::FileExists(state); }));
    }
    void BrowseTo(const std::string& address) {
        HWND window = driver::WaitForWindow(browser_->Id(), "Stand-in browser");
        ASSERT_TRUE(driver::SetEditText(driver::FindChild(window, "Edit"), address));
    }

    HWND StartWithFolders(const std::string& folder1, const std::string& folder2) {
        tool_ = StartShown(folder1 + "\r\n" + folder2 + "\r\n100\r\n100\r\n");
        return tool_;
    }
    void Click(int button) { ASSERT_TRUE(driver::ClickButton(driver::ChildWindows(tool_).at(button))); }
    bool Idle() {
        return WaitUntil([&] {
            return IsEnabled(tool_) && driver::Caption(tool_) == "Leafcatch" && !IsVisible(Notice());
        });
    }
    // The failure message: shown while the run is still busy, then closed.
    void ExpectFailureMessage() {
        HWND box = driver::WaitForMessageBox(Program().Id(), 10000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(driver::MessageBoxText(box), "取得できません");
        EXPECT_EQ(driver::MessageBoxCaption(box), "Leafcatch");
        EXPECT_EQ(driver::Caption(tool_), "LC(取得中)");
        EXPECT_TRUE(IsVisible(Notice()));
        EXPECT_FALSE(IsEnabled(tool_));
        driver::PressMessageBoxButton(box);
        EXPECT_TRUE(Idle());
    }
    std::string Saved(const std::string& path) { return driver::ReadFileBytes(path).value_or("<missing>"); }

    HttpServer server_;
    std::optional<driver::Process> browser_;
    std::string folder1_;
    std::string folder2_;
    HWND tool_ = nullptr;
};

TEST_F(Capture, SavesThePageIntoEachFolder) {
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

TEST_F(Capture, SameAddressTwiceGetsTheNextFreeName) {
    server_.Route("/", Reply::Page(200, "x"));
    StartBrowser(server_.Url("/"));
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    for (const char* name : {"index.html", "index_001.html"}) {
        Click(0);
        ASSERT_TRUE(WaitUntil([&] { return driver::FileExists(folder1_ + name); })) << name;
        ASSERT_TRUE(Idle());
    }
}

TEST_F(Capture, NotFoundSavesNothingAndShowsNothing) {
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

TEST_F(Capture, FailedFetchesShowTheMessageThenRestoreTheWindow) {
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

TEST_F(Capture, RedirectsAreFollowedAndTheBrowserAddressNamesTheFile) {
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

TEST_F(Capture, RedirectLoopShowsTheMessage) {
    server_.Route("/loop.html", Reply::Redirect(302, "/loop.html"));
    StartBrowser(server_.Url("/loop.html"));
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    Click(0);
    ExpectFailureMessage();
    EXPECT_FALSE(driver::FileExists(folder1_ + "loop.html"));
}

TEST_F(Capture, SlowResponseKeepsTheRunBusyAndTheWindowAnswering) {
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

TEST_F(Capture, EmptyAddressFetchesNothing) {
    StartBrowser("");
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    Click(0);
    Sleep(300);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(server_.RequestCount(), 0u);
    EXPECT_EQ(driver::FindMessageBox(Program().Id()), nullptr);
}

TEST_F(Capture, MissingFolderShowsTheMessageAndLeavesNoFile) {
    server_.Route("/p.html", Reply::Page(200, "<body>x"));
    StartBrowser(server_.Url("/p.html"));
    ASSERT_NE(StartWithFolders(dir_ + "missing\\", folder2_), nullptr);
    Click(0);
    ExpectFailureMessage();
    EXPECT_FALSE(driver::FileExists(dir_ + "missing"));
}

// No browser runs: the one the registry names is started, and its page saved.
TEST_F(Capture, StartsTheRegisteredBrowserWhenNoneRuns) {
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
