// Faults and hostile input: each ends with the program responsive and nothing lost.
#include <windows.h>

#include <cstdlib>
#include <random>

#include "settings/settings_file.h"
#include "tests/wine/capture_fixture.h"

namespace {

using driver::WaitUntil;
using test_http::Reply;

// File systems prepared by tests/wine/fault_fs.sh: LC_FAULT_FS names their root
// as a Windows path; "full" is a 64 KiB file system, "ro" a read-only one holding
// a settings file.
std::string FaultFs() {
    const char* root = std::getenv("LC_FAULT_FS");
    if (!root || !driver::FileExists(std::string(root) + "\\mounted")) return {};
    return std::string(root) + "\\";
}

int FilesIn(const std::string& folder) {
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        count += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return count;
}

class Faults : public CaptureTest {
protected:
    // Serves `reply` as the browser's page and captures it into `folder`.
    void CaptureInto(const std::string& folder, Reply reply, const std::string& path = "/p.html") {
        server_.Route(path, std::move(reply));
        StartBrowser(server_.Url(path));
        ASSERT_NE(StartWithFolders(folder, folder2_), nullptr);
        Click(0);
    }
    void SetEnv(const char* name, const char* value) {
        SetEnvironmentVariableA(name, value);
        env_.push_back(name);
    }
    void TearDown() override {
        for (const char* name : env_) SetEnvironmentVariableA(name, nullptr);
        CaptureTest::TearDown();
    }
    std::vector<const char*> env_;
};

TEST_F(Faults, NearlyFullDiskShowsTheMessageAndLeavesNoPartialFile) {
    const std::string fs = FaultFs();
    if (fs.empty()) GTEST_SKIP() << "no small file system (the test mounts one only when run as root)";
    CaptureInto(fs + "full\\", Reply::Page(200, "<body>" + std::string(200 * 1024, 'x')));
    ExpectFailureMessage();
    EXPECT_EQ(FilesIn(fs + "full\\"), 0);
}

TEST_F(Faults, ReadOnlySaveFolderShowsTheMessage) {
    const std::string fs = FaultFs();
    if (fs.empty()) GTEST_SKIP() << "no read-only file system (the test mounts one only when run as root)";
    CaptureInto(fs + "ro\\", Reply::Page(200, "<body>x"));
    ExpectFailureMessage();
    EXPECT_FALSE(driver::FileExists(fs + "ro\\p.html"));
}

TEST_F(Faults, AllNamesTakenShowsTheMessageAndOverwritesNothing) {
    driver::WriteFileBytes(folder1_ + "p.html", "old");
    for (int i = 1; i <= 1000; ++i) {
        char name[32];
        wsprintfA(name, "p_%03d.html", i % 1000);
        driver::WriteFileBytes(folder1_ + name, "old");
    }
    CaptureInto(folder1_, Reply::Page(200, "<body>new"));
    ExpectFailureMessage();
    EXPECT_EQ(FilesIn(folder1_), 1001);
    EXPECT_EQ(Saved(folder1_ + "p.html"), "old");
    EXPECT_EQ(Saved(folder1_ + "p_000.html"), "old");
}

TEST_F(Faults, CloseInsideAnAnnouncedBodySavesNothing) {
    CaptureInto(folder1_, Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n<body>only part"));
    ExpectFailureMessage();
    EXPECT_EQ(FilesIn(folder1_), 0);
}

TEST_F(Faults, CloseWithoutALengthSavesWhatArrived) {
    CaptureInto(folder1_, Reply().Send("HTTP/1.0 200 OK\r\n\r\n<body>what arrived"));
    ASSERT_TRUE(WaitUntil([&] { return driver::FileExists(folder1_ + "p.html"); }));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(Saved(folder1_ + "p.html"), "<body>" + SavedLinkMarker(server_.Url("/p.html")) + "what arrived");
}

TEST_F(Faults, EndlessHeaderLineShowsTheMessage) {
    CaptureInto(folder1_, Reply().Send("HTTP/1.0 200 OK\r\nX-Endless: " + std::string(200 * 1024, 'a')).Stall());
    ExpectFailureMessage();
    EXPECT_EQ(FilesIn(folder1_), 0);
}

TEST_F(Faults, BodyOverTheCapShowsTheMessage) {
    testBuild_ = true;
    SetEnv("LC_TEST_HTTP_MAX_BODY", "1000");
    CaptureInto(folder1_, Reply::Page(200, std::string(5000, 'b'), false));
    ExpectFailureMessage();
    EXPECT_EQ(FilesIn(folder1_), 0);
}

TEST_F(Faults, StalledServerShowsTheMessage) {
    testBuild_ = true;
    SetEnv("LC_TEST_HTTP_TIMEOUT_MS", "500");
    CaptureInto(folder1_, Reply().Send("HTTP/1.0 200 OK\r\n").Stall());
    ExpectFailureMessage();
    EXPECT_EQ(FilesIn(folder1_), 0);
}

TEST_F(Faults, RedirectsToOtherSchemesShowTheMessage) {
    server_.Route("/ftp.html", Reply::Redirect(302, "ftp://127.0.0.1/file.html"));
    server_.Route("/https.html", Reply::Redirect(301, "https://127.0.0.1/secure.html"));
    StartBrowser(server_.Url("/ftp.html"));
    ASSERT_NE(StartWithFolders(folder1_, folder2_), nullptr);
    for (const char* path : {"/ftp.html", "/https.html"}) {
        SCOPED_TRACE(path);
        BrowseTo(server_.Url(path));
        Click(0);
        ExpectFailureMessage();
    }
    EXPECT_EQ(FilesIn(folder1_), 0);
}

TEST_F(Faults, ReadOnlySettingsFolderKeepsTheFormerFileWhole) {
    const std::string fs = FaultFs();
    if (fs.empty()) GTEST_SKIP() << "no read-only file system (the test mounts one only when run as root)";
    workDir_ = fs + "ro\\";
    const std::string before = Settings().value_or("<none>");
    ASSERT_NE(before, "<none>");
    Start();
    ASSERT_TRUE(WaitUntil([&] { return driver::IsVisible(ToolWindowNow()); }));
    tool_ = ToolWindowNow();
    SetWindowPos(tool_, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    driver::PostClose(tool_);
    EXPECT_EQ(Program().WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(Settings(), before);
}

TEST_F(Faults, SettingsFileOfRandomBytesAppliesWhatScans) {
    std::mt19937 random(20261211);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        std::string bytes;
        for (int i = 0; i < 600; ++i) {
            const int pick = static_cast<int>(random() % 10);
            bytes += pick < 2 ? '\n' : pick < 3 ? '\\' : pick < 4 ? static_cast<char>('0' + random() % 10)
                                                                 : static_cast<char>(random() % 256);
        }
        if (round == 2) bytes = "c:\\\n" + bytes.substr(0, 40) + "\n" + std::to_string(50 + round) + "\n60\n";
        ::Settings expected{"", "", 0, 0};
        ReadSettings(bytes, expected);

        PutSettings(bytes);
        Start();
        ASSERT_TRUE(WaitUntil([&] { return driver::IsVisible(ToolWindowNow()); }));
        tool_ = ToolWindowNow();
        const RECT r = driver::WindowRect(tool_);
        EXPECT_EQ(r.left, expected.left);
        EXPECT_EQ(r.top, expected.top);
        // Without a first folder the dialog opens by itself: leave it by its close box.
        if (expected.folder1.empty()) {
            ASSERT_TRUE(WaitUntil([&] { return driver::IsVisible(Dialog()); }));
            driver::PostClose(Dialog());
            ASSERT_TRUE(WaitUntil([&] { return driver::IsEnabled(tool_); }));
        }
        driver::PostClose(tool_);
        EXPECT_EQ(Program().WaitForExit(), std::optional<DWORD>(0));
    }
}

}  // namespace
