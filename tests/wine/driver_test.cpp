// The driver against a small window program (fixture_window.exe), under Wine.
#include "tests/wine/driver/driver.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace driver;

class DriverTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeTempFolder();
        ASSERT_FALSE(dir_.empty());
    }
    void TearDown() override {
        process_.reset();  // the fixture must be gone before its folder goes
        RemoveFolder(dir_);
    }

    // Starts the fixture in the test's folder and waits for its window.
    void Start(const std::string& caption, const std::string& more = "7") {
        process_ = Process::Launch(ExeFolder() + "fixture_window.exe", dir_, "\"" + caption + "\" " + more);
        window_ = WaitForWindow(process_->Id(), caption, 5000);
        ASSERT_NE(window_, nullptr) << "no window captioned " << caption;
    }
    HWND Push() const { return FindChild(window_, "Button", "Push"); }
    bool CaptionBecomes(const std::string& caption) const {
        return WaitUntil([&] { return Caption(window_) == caption; }, 3000);
    }

    std::string dir_;
    std::optional<Process> process_;
    HWND window_ = nullptr;
};

TEST_F(DriverTest, ExeFolderHoldsTheFixture) {
    const std::string folder = ExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_TRUE(FileExists(folder + "fixture_window.exe"));
}

TEST_F(DriverTest, LaunchRunsInTheWorkingFolder) {
    Start("Fixture cwd");
    ASSERT_TRUE(WaitUntil([&] { return FileExists(dir_ + "cwd.txt"); }, 3000));
    std::optional<std::string> cwd;
    ASSERT_TRUE(WaitUntil([&] { return (cwd = ReadFileBytes(dir_ + "cwd.txt")) && !cwd->empty(); }, 3000));
    EXPECT_EQ(*cwd, dir_.substr(0, dir_.size() - 1));
    EXPECT_TRUE(process_->Running());
}

TEST_F(DriverTest, LaunchOfAMissingProgramThrows) {
    EXPECT_THROW(Process::Launch(dir_ + "missing.exe", dir_), std::runtime_error);
}

TEST_F(DriverTest, FindsAndReadsTheWindow) {
    // "ドライバ表示": the second byte of 表 is a backslash.
    const std::string caption = "ドライバ表示";
    ASSERT_EQ(caption.substr(8, 2), "\x95\x5C");
    Start(caption);
    EXPECT_EQ(Caption(window_), caption);
    EXPECT_EQ(ClassName(window_), "DriverFixture");
    EXPECT_TRUE(IsVisible(window_));
    EXPECT_TRUE(IsEnabled(window_));
    EXPECT_FALSE(IsTopMost(window_));
    EXPECT_EQ(Owner(window_), nullptr);
    EXPECT_TRUE(Style(window_) & WS_CAPTION);
    const SIZE client = ClientSize(window_);
    EXPECT_EQ(client.cx, 300);
    EXPECT_EQ(client.cy, 150);
    const RECT frame = WindowRect(window_);
    const POINT origin = ClientOrigin(window_);
    EXPECT_GE(origin.x, frame.left);
    EXPECT_GT(origin.y, frame.top);  // below the caption bar
    EXPECT_LE(origin.x + client.cx, frame.right);
    EXPECT_LE(origin.y + client.cy, frame.bottom);

    EXPECT_EQ(FindWindowByCaption(process_->Id(), caption), window_);
    EXPECT_EQ(FindWindowByClass(process_->Id(), "driverfixture"), window_);
    EXPECT_EQ(FindWindowByCaption(process_->Id(), "ドライバ"), nullptr);
    bool listed = false;
    for (HWND w : TopLevelWindows(process_->Id())) listed = listed || w == window_;
    EXPECT_TRUE(listed);

    const HWND push = Push();
    ASSERT_NE(push, nullptr);
    EXPECT_EQ(ClassName(push), "Button");
    EXPECT_TRUE(IsEnabled(push));
    EXPECT_EQ(ControlId(push), 101);
    const HWND off = FindChild(window_, "button", "Off");
    ASSERT_NE(off, nullptr);
    EXPECT_FALSE(IsEnabled(off));
    EXPECT_EQ(ChildById(window_, 102), off);
    EXPECT_EQ(ChildWindows(window_).size(), 3u);
}

TEST_F(DriverTest, TopMostWindow) {
    Start("Fixture on top", "0 topmost");
    EXPECT_TRUE(IsTopMost(window_));
}

TEST_F(DriverTest, EditTextIsExactBytes) {
    Start("Fixture edit");
    const HWND edit = FindChild(window_, "Edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(EditText(edit), "初期");
    const std::string text = "c:\\表示\\ﾃｽﾄ";
    ASSERT_TRUE(SetEditText(edit, text));
    EXPECT_EQ(EditText(edit), text);
    ASSERT_TRUE(SetEditText(edit, ""));
    EXPECT_EQ(EditText(edit), "");
}

TEST_F(DriverTest, PostedClickShowsTheMessageBox) {
    Start("Fixture push");
    ASSERT_TRUE(ClickButton(Push()));
    const HWND box = WaitForMessageBox(process_->Id(), 3000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "pushed");
    EXPECT_EQ(MessageBoxCaption(box), "Fixture");
    EXPECT_EQ(Owner(box), window_);
    EXPECT_EQ(Caption(window_), "Fixture push");  // still inside MessageBoxA
    ASSERT_TRUE(PressMessageBoxButton(box, IDOK));
    EXPECT_TRUE(CaptionBecomes("done"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 3000));
}

TEST_F(DriverTest, RealClicksShowAndCloseTheMessageBox) {
    Start("Fixture real push");
    ASSERT_TRUE(ClickAt(ScreenCentre(Push())));
    const HWND box = WaitForMessageBox(process_->Id(), 3000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "pushed");
    const HWND ok = ChildById(box, IDOK);
    ASSERT_NE(ok, nullptr);
    ASSERT_TRUE(ClickAt(ScreenCentre(ok)));
    EXPECT_TRUE(CaptionBecomes("done"));
}

TEST_F(DriverTest, DisabledWindowTakesNoClick) {
    Start("Fixture disabled");
    EnableWindow(window_, FALSE);
    ASSERT_TRUE(WaitUntil([&] { return !IsEnabled(window_); }, 1000));
    EXPECT_FALSE(ClickButton(Push()));
    EXPECT_FALSE(ClickButton(FindChild(window_, "Button", "Off")));
    ASSERT_TRUE(ClickAt(ScreenCentre(Push())));
    EXPECT_EQ(WaitForMessageBox(process_->Id(), 300), nullptr);
}

TEST_F(DriverTest, MenuChosenWithTheKeyboard) {
    Start("Fixture menu");
    ASSERT_TRUE(ReleaseMouseButton(window_, MouseButton::Right, 200, 100));
    HWND menu = WaitForPopupMenu(3000);
    ASSERT_NE(menu, nullptr);
    // The menu opens at the released point.
    const POINT origin = ClientOrigin(window_);
    const RECT rect = MenuRect(menu);
    EXPECT_EQ(rect.left, origin.x + 200);
    EXPECT_EQ(rect.top, origin.y + 100);
    ASSERT_TRUE(ChooseMenuItem(menu, 0));
    EXPECT_TRUE(CaptionBecomes("one"));
    EXPECT_TRUE(WaitUntil([&] { return FindPopupMenu() == nullptr; }, 3000));

    // With the pointer resting on "One" (selected), index 1 is still "Two".
    ASSERT_TRUE(ReleaseMouseButton(window_, MouseButton::Right, 50, 120));
    menu = WaitForPopupMenu(3000, process_->Id());
    ASSERT_NE(menu, nullptr);
    const RECT r = MenuRect(menu);
    ASSERT_TRUE(MovePointer((r.left + r.right) / 2, r.top + 10));
    ASSERT_TRUE(ChooseMenuItem(menu, 1));
    EXPECT_TRUE(CaptionBecomes("two"));
}

TEST_F(DriverTest, MenuChosenWithRealClicks) {
    Start("Fixture menu click");
    ASSERT_TRUE(ReleaseMouseButton(window_, MouseButton::Right, 200, 100));
    HWND menu = WaitForPopupMenu(3000);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(ClickMenuItem(menu, 1, 2));
    EXPECT_TRUE(CaptionBecomes("two"));

    ASSERT_TRUE(ReleaseMouseButton(window_, MouseButton::Right, 20, 100));
    menu = WaitForPopupMenu(3000);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(ClickMenuItem(menu, 0, 2));
    EXPECT_TRUE(CaptionBecomes("one"));
}

TEST_F(DriverTest, MenuClosedWithoutChoice) {
    Start("Fixture menu closed");
    ASSERT_TRUE(ReleaseMouseButton(window_, MouseButton::Right, 200, 100));
    const HWND menu = WaitForPopupMenu(3000);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(CloseMenu(menu));
    EXPECT_TRUE(WaitUntil([&] { return FindPopupMenu() == nullptr; }, 3000));
    EXPECT_EQ(Caption(window_), "Fixture menu closed");
    // The program goes on answering.
    ASSERT_TRUE(ClickButton(Push()));
    EXPECT_NE(WaitForMessageBox(process_->Id(), 3000), nullptr);
}

TEST_F(DriverTest, ClosingGivesTheExitCode) {
    Start("Fixture close", "7");
    ASSERT_TRUE(PostClose(window_));
    EXPECT_EQ(process_->WaitForExit(5000), std::optional<DWORD>(7));
    EXPECT_FALSE(process_->Running());
    EXPECT_FALSE(IsWindow(window_));
}

TEST_F(DriverTest, ProcessGoingOutOfScopeIsKilled) {
    UniqueHandle watcher;
    {
        Process p = Process::Launch(ExeFolder() + "fixture_window.exe", dir_, "\"Fixture scope\" 3");
        ASSERT_NE(WaitForWindow(p.Id(), "Fixture scope", 5000), nullptr);
        watcher.Reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, p.Id()));
        ASSERT_TRUE(watcher);
        EXPECT_TRUE(p.Running());
        EXPECT_EQ(p.WaitForExit(50), std::nullopt);
    }
    ASSERT_EQ(WaitForSingleObject(watcher.Get(), 0), WAIT_OBJECT_0);
    DWORD status = 0;
    ASSERT_TRUE(GetExitCodeProcess(watcher.Get(), &status));
    EXPECT_EQ(status, Process::kKilledExitCode);
}

TEST_F(DriverTest, MovedProcessKeepsRunning) {
    Process a = Process::Launch(ExeFolder() + "fixture_window.exe", dir_, "\"Fixture moved\" 0");
    const DWORD id = a.Id();
    Process b = std::move(a);
    EXPECT_EQ(b.Id(), id);
    EXPECT_TRUE(b.Running());
    EXPECT_FALSE(a.Running());  // NOLINT: a moved-from process owns nothing
    ASSERT_NE(WaitForWindow(id, "Fixture moved", 5000), nullptr);
}

TEST_F(DriverTest, WaitsEndAtTheirBound) {
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(WaitUntil([] { return false; }, 100));
    EXPECT_EQ(WaitForWindow(GetCurrentProcessId(), "no such window", 100), nullptr);
    EXPECT_EQ(WaitForMessageBox(GetCurrentProcessId(), 100), nullptr);
    const ULONGLONG spent = GetTickCount64() - start;
    EXPECT_GE(spent, 290u);
    EXPECT_LT(spent, 1500u);
    int calls = 0;
    EXPECT_TRUE(WaitUntil([&] { return ++calls == 3; }, 1000));
}

TEST_F(DriverTest, FilesAndFolders) {
    EXPECT_EQ(dir_.back(), '\\');
    const std::string bytes("a\r\nb\0c\x95\x5C", 8);
    ASSERT_TRUE(WriteFileBytes(dir_ + "f.bin", bytes));
    EXPECT_EQ(ReadFileBytes(dir_ + "f.bin"), bytes);
    EXPECT_EQ(ReadFileBytes(dir_ + "missing.bin"), std::nullopt);
    const std::string sub = dir_ + "表\\";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(sub + "g.txt", "x"));
    ASSERT_TRUE(SetFileAttributesA((sub + "g.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    RemoveFolder(sub);
    EXPECT_FALSE(FileExists(sub));
    EXPECT_TRUE(FileExists(dir_ + "f.bin"));

    const std::string other = MakeTempFolder();
    ASSERT_FALSE(other.empty());
    EXPECT_NE(other, dir_);
    RemoveFolder(other);
    EXPECT_FALSE(FileExists(other));
}

}  // namespace
