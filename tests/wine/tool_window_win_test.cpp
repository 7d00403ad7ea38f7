// The tool window and the tray icon, with the real program.
#include <windows.h>

#include "tests/wine/leafcatch_fixture.h"

namespace {

using driver::IsEnabled;
using driver::IsVisible;
using driver::MouseButton;
using driver::WaitUntil;

// Where the first tray icon stands in the 1024 x 768 virtual desktop.
constexpr POINT kTrayIcon{1013, 758};

class ToolWindowTest : public LeafcatchTest {
protected:
    HWND Edit(int index) { return DialogEdit(index); }
    HWND DialogButton(const std::string& caption) { return driver::FindChild(Dialog(), "Button", caption); }
    HWND Glyph(int index) { return driver::ChildWindows(ToolWindow()).at(index); }

    bool DialogOpen() {
        return WaitUntil([&] { return IsVisible(Dialog()) && !IsEnabled(ToolWindow()); });
    }
    // Cancel: the dialog goes, the tool window takes input again.
    void CancelDialog() {
        driver::ClickButton(DialogButton("キャンセル"));
        ASSERT_TRUE(WaitUntil([&] { return !IsVisible(Dialog()) && IsEnabled(ToolWindow()); }));
    }
    // The pop-up menu that the tray message opens, or null.
    HWND Menu(DWORD waitMs) { return driver::WaitForPopupMenu(waitMs, Program().Id()); }
    void ChooseExit() {
        HWND menu = Menu(driver::kWaitMs);
        ASSERT_NE(menu, nullptr);
        driver::ChooseMenuItem(menu, 1);
    }
};

TEST_F(ToolWindowTest, FirstStartAppliesTheDefaultsAndOpensTheDialog) {
    Start();
    HWND tool = ToolWindow();
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(DialogOpen());
    const RECT r = driver::WindowRect(tool);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    ASSERT_TRUE(WaitUntil([&] { return driver::EditText(Edit(0)) == "c:\\"; }));
    EXPECT_EQ(driver::EditText(Edit(1)), "c:\\");

    CancelDialog();
    driver::PostClose(tool);
    EXPECT_EQ(Program().WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(Settings(), "c:\\\r\nc:\\\r\n0\r\n0\r\n");
}

TEST_F(ToolWindowTest, SavedPlaceIsUsedAndWrittenBackUnchanged) {
    HWND tool = StartShown();
    ASSERT_NE(tool, nullptr);
    const RECT r = driver::WindowRect(tool);
    EXPECT_EQ(r.left, 843);
    EXPECT_EQ(r.top, 332);
    EXPECT_FALSE(IsVisible(Dialog()));
    driver::PostClose(tool);
    EXPECT_EQ(Program().WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(Settings(), kExampleSettings);
}

TEST_F(ToolWindowTest, MovedWindowSavesItsNewPlace) {
    HWND tool = StartShown("a\\\r\nb\\\r\n-20\r\n5\r\n");
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(driver::WindowRect(tool).left, -20);
    SetWindowPos(tool, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] { return driver::WindowRect(tool).left == 300; }));
    driver::PostClose(tool);
    EXPECT_EQ(Program().WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(Settings(), "a\\\r\nb\\\r\n300\r\n200\r\n");
}

TEST_F(ToolWindowTest, RightReleaseOpensTheDialogOtherButtonsDoNot) {
    HWND tool = StartShown();
    ASSERT_NE(tool, nullptr);
    struct Release {
        HWND window;
        MouseButton button;
        bool opens;
    };
    const Release releases[] = {
        {tool, MouseButton::Left, false},        {tool, MouseButton::Middle, false},
        {Glyph(0), MouseButton::Middle, false},  {Glyph(1), MouseButton::Middle, false},
        {tool, MouseButton::Right, true},        {Glyph(0), MouseButton::Right, true},
        {Glyph(1), MouseButton::Right, true},
    };
    for (const Release& r : releases) {
        SCOPED_TRACE(testing::Message() << "window " << r.window << " button " << static_cast<int>(r.button));
        const int x = r.window == tool ? 60 : 10;  // between the buttons, or on one
        const int y = r.window == tool ? 52 : 10;
        ASSERT_TRUE(driver::ReleaseMouseButton(r.window, r.button, x, y));
        if (r.opens) {
            EXPECT_TRUE(DialogOpen());
            CancelDialog();
        } else {
            Sleep(150);
            EXPECT_FALSE(IsVisible(Dialog()));
            EXPECT_TRUE(IsEnabled(tool));
        }
    }
}

TEST_F(ToolWindowTest, TrayPressesOpenTheMenuAtTheCursorOtherMessagesDoNot) {
    HWND tool = StartShown();
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(driver::MovePointer(300, 200));
    for (LPARAM message : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_MBUTTONDOWN}) {
        driver::PostMessageTo(tool, WM_USER + 1, 1, message);
        EXPECT_EQ(Menu(150), nullptr) << message;
    }
    for (LPARAM message : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        driver::PostMessageTo(tool, WM_USER + 1, 1, message);
        HWND menu = Menu(driver::kWaitMs);
        ASSERT_NE(menu, nullptr) << message;
        const RECT r = driver::MenuRect(menu);
        EXPECT_EQ(r.left, 300);
        EXPECT_EQ(r.top, 200);
        driver::CloseMenu(menu);
        ASSERT_TRUE(WaitUntil([&] { return !driver::FindPopupMenu(Program().Id()); }));
    }
}

TEST_F(ToolWindowTest, TrayIconMenuSetupOpensTheDialogAndKeepsItOpen) {
    HWND tool = StartShown();
    ASSERT_NE(tool, nullptr);
    for (int round = 0; round < 2; ++round) {
        driver::PostMessageTo(tool, WM_USER + 1, 1, WM_RBUTTONDOWN);
        HWND menu = Menu(driver::kWaitMs);
        ASSERT_NE(menu, nullptr);
        driver::ChooseMenuItem(menu, 0);  // 設定
        EXPECT_TRUE(DialogOpen());
        if (round == 0) driver::SetEditText(Edit(0), "typed\\");
    }
    // Shown again while open: the edits keep what was typed.
    EXPECT_EQ(driver::EditText(Edit(0)), "typed\\");
    EXPECT_FALSE(IsEnabled(tool));
}

BOOL CALLBACK TakeShownToolTip(HWND w, LPARAM out) {
    if (IsWindowVisible(w) && driver::ClassName(w) == "tooltips_class32")
        *reinterpret_cast<std::string*>(out) = driver::EditText(w);
    return TRUE;
}

// A shown tool tip anywhere on the desktop, and its text.
std::string ShownToolTip() {
    std::string text;
    EnumWindows(TakeShownToolTip, reinterpret_cast<LPARAM>(&text));
    return text;
}

TEST_F(ToolWindowTest, TrayIconShowsItsTip) {
    ASSERT_NE(StartShown(), nullptr);
    driver::MovePointer(kTrayIcon.x - 40, kTrayIcon.y);
    driver::MovePointer(kTrayIcon.x, kTrayIcon.y);
    EXPECT_TRUE(WaitUntil([] { return ShownToolTip() == "Leafcatch"; })) << ShownToolTip();
    driver::MovePointer(500, 300);
}

TEST_F(ToolWindowTest, ExitFromTheRealTrayIconSavesAndRemovesTheIcon) {
    HWND tool = StartShown("d:\\\r\ne:\\\r\n10\r\n20\r\n");
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(driver::ClickAt(kTrayIcon, MouseButton::Left));
    ChooseExit();
    EXPECT_EQ(Program().WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(Settings(), "d:\\\r\ne:\\\r\n10\r\n20\r\n");

    // No icon is left: a click where it stood opens nothing.
    ASSERT_TRUE(driver::ClickAt(kTrayIcon, MouseButton::Right));
    Sleep(300);
    EXPECT_EQ(driver::FindPopupMenu(), nullptr);
}

TEST_F(ToolWindowTest, ExitWhileTheDialogIsOpenSavesTheConfirmedFolders) {
    HWND tool = StartShown();
    ASSERT_NE(tool, nullptr);
    driver::ReleaseMouseButton(tool, MouseButton::Right, 60, 52);
    ASSERT_TRUE(DialogOpen());
    ASSERT_TRUE(WaitUntil([&] { return driver::EditText(Edit(0)) == "c:\\"; }));
    driver::SetEditText(Edit(0), "d:\\not confirmed\\");
    driver::PostMessageTo(tool, WM_USER + 1, 1, WM_LBUTTONDOWN);  // the menu works while disabled
    ChooseExit();
    EXPECT_EQ(Program().WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(Settings(), kExampleSettings);
}

// The registry value that names the browser holds a number.
class WrongRegistryType : public ToolWindowTest {
protected:
    ScopedRegistryValue value_{HKEY_LOCAL_MACHINE, kBrowserKey, REG_DWORD, std::string("\x01\0\0\0", 4)};
};

TEST_F(WrongRegistryType, IsReportedAndTheWindowStillShows) {
    PutSettings(kExampleSettings);
    Start();
    HWND box = driver::WaitForMessageBox(Program().Id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::MessageBoxText(box), "Invalid data type for ''");
    EXPECT_EQ(driver::MessageBoxCaption(box), "Leafcatch");
    driver::PressMessageBoxButton(box);
    ASSERT_TRUE(WaitUntil([&] { return IsVisible(ToolWindow()); }));
    // The settings were not loaded at creation, so the window stayed where it was
    // made; the folders came from the file at the first paint.
    EXPECT_NE(driver::WindowRect(ToolWindow()).left, 843);
    EXPECT_FALSE(IsVisible(Dialog()));
}

}  // namespace
