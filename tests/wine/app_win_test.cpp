// Start-up, one running copy, the three windows and the ordered end, with the
// real program.
#include <vector>

#include "tests/wine/leafcatch_fixture.h"

namespace {

using driver::WaitUntil;

class StartUp : public LeafcatchTest {};

TEST_F(StartUp, SecondCopyEndsAtOnceAndTheFirstRunsOn) {
    HWND tool = StartShown();
    ASSERT_NE(tool, nullptr);
    const DWORD first = Program().Id();

    driver::Process second = driver::Process::Launch(Exe(), dir_, "", 0);
    EXPECT_EQ(second.WaitForExit(3000), std::optional<DWORD>(1));
    EXPECT_TRUE(driver::TopLevelWindows(second.Id()).empty());

    EXPECT_TRUE(processes_.back().Running());
    EXPECT_EQ(Program().Id(), first);
    EXPECT_TRUE(driver::IsVisible(tool));
    EXPECT_TRUE(driver::IsEnabled(tool));
    EXPECT_EQ(driver::Caption(tool), "Leafcatch");
    EXPECT_EQ(Settings(), kExampleSettings);  // the second copy touched nothing
}

TEST_F(StartUp, CopyAfterTheFirstEndedStartsNormally) {
    HWND tool = StartShown();
    ASSERT_NE(tool, nullptr);
    driver::PostClose(tool);
    ASSERT_EQ(Program().WaitForExit(), std::optional<DWORD>(0));

    ASSERT_NE(StartShown(), nullptr);
    EXPECT_TRUE(Program().Running());
}

TEST_F(StartUp, WindowsHaveTheirCaptionsSizesAndPlaces) {
    HWND tool = StartShown();
    ASSERT_NE(tool, nullptr);

    EXPECT_EQ(driver::Caption(tool), "Leafcatch");
    EXPECT_EQ(driver::ClientSize(tool).cx, 115);
    EXPECT_EQ(driver::ClientSize(tool).cy, 55);
    std::vector<RECT> buttons;
    for (HWND child : driver::ChildWindows(tool)) {
        RECT r = driver::WindowRect(child);
        const POINT origin = driver::ClientOrigin(tool);
        OffsetRect(&r, -origin.x, -origin.y);
        buttons.push_back(r);
    }
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].left, 8);
    EXPECT_EQ(buttons[0].top, 8);
    EXPECT_EQ(buttons[0].right - buttons[0].left, 41);
    EXPECT_EQ(buttons[0].bottom - buttons[0].top, 41);
    EXPECT_EQ(buttons[1].left, 64);
    EXPECT_EQ(buttons[1].top, 8);

    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    struct Expected {
        HWND window;
        int width;
        int height;
    };
    for (const Expected& e : {Expected{Dialog(), 644, 186}, Expected{Notice(), 173, 41}}) {
        ASSERT_NE(e.window, nullptr);
        EXPECT_FALSE(driver::IsVisible(e.window));
        EXPECT_EQ(driver::Caption(e.window), "Leafcatch");
        EXPECT_EQ(driver::ClientSize(e.window).cx, e.width);
        EXPECT_EQ(driver::ClientSize(e.window).cy, e.height);
        const RECT r = driver::WindowRect(e.window);
        EXPECT_NEAR((r.left + r.right) / 2, screenW / 2, 1);
        EXPECT_NEAR((r.top + r.bottom) / 2, screenH / 2, 1);
    }
    EXPECT_EQ(driver::Caption(driver::FindChild(Notice(), "Static")), "HTML取得中");
}

// Buttons shown on the task bar for program windows (the start button, shown
// whenever the task bar is, does not count).
int TaskBarButtons() {
    int shown = 0;
    for (HWND child : driver::ChildWindows(FindWindowA("Shell_TrayWnd", nullptr))) shown += driver::IsVisible(child);
    return shown > 0 ? shown - 1 : 0;
}

TEST_F(StartUp, ToolWindowStaysOnTopWithoutATaskBarButton) {
    const int before = TaskBarButtons();
    HWND tool = StartShown();
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(driver::IsTopMost(tool));
    EXPECT_TRUE(driver::ExStyle(tool) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(driver::Style(tool) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(driver::Style(tool) & WS_SYSMENU);

    // Every window is owned by the hidden application window, which alone
    // would carry a task-bar button.
    HWND app = AppWindow();
    ASSERT_NE(app, nullptr);
    EXPECT_FALSE(driver::IsVisible(app));
    EXPECT_EQ(driver::Caption(app), "Leafcatch");
    for (HWND form : {tool, Dialog(), Notice()}) EXPECT_EQ(driver::Owner(form), app);
    EXPECT_FALSE(driver::Style(Notice()) & WS_SYSMENU);
    EXPECT_EQ(TaskBarButtons(), before);
}

// The order of the end (the dialog and the notice before the tool window) is
// shown by the platform layer's own tests; here its effect: the tool window's
// destruction still finds the folders that were loaded.
TEST_F(StartUp, ClosingTheToolWindowEndsWithStatusZeroAndSavesTheSettings) {
    HWND tool = StartShown("d:\\saved\\\r\ne:\\\r\n12\r\n34\r\n");
    ASSERT_NE(tool, nullptr);
    driver::PostClose(tool);
    EXPECT_EQ(Program().WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(Settings(), "d:\\saved\\\r\ne:\\\r\n12\r\n34\r\n");
    EXPECT_FALSE(driver::FileExists(Ini() + ".new"));
}

}  // namespace
