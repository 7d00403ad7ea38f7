// The settings dialog, with the real program.
#include <windows.h>

#include "tests/wine/leafcatch_fixture.h"

namespace {

using driver::EditText;
using driver::IsEnabled;
using driver::IsVisible;
using driver::WaitUntil;

class SettingsDialog : public LeafcatchTest {
protected:
    // Starts with the given folders and opens the dialog with a right-click.
    void Open(const std::string& folder1 = "c:\\", const std::string& folder2 = "c:\\") {
        tool_ = StartShown(folder1 + "\r\n" + folder2 + "\r\n843\r\n332\r\n");
        ASSERT_NE(tool_, nullptr);
        Reopen();
        ASSERT_TRUE(WaitUntil([&] { return EditText(Edit(0)) == folder1 && EditText(Edit(1)) == folder2; }));
    }
    void Reopen() {
        ASSERT_TRUE(driver::ReleaseMouseButton(tool_, driver::MouseButton::Right, 60, 52));
        ASSERT_TRUE(WaitUntil([&] { return IsVisible(Dialog()) && !IsEnabled(tool_); }));
    }
    HWND Edit(int index) { return DialogEdit(index); }
    HWND Button(const std::string& caption, int nth = 0) {
        for (HWND child : driver::ChildWindows(Dialog()))
            if (driver::ClassName(child) == "Button" && driver::Caption(child) == caption && nth-- == 0) return child;
        return nullptr;
    }
    void Press(const std::string& caption, int nth = 0) {
        ASSERT_TRUE(driver::ClickButton(Button(caption, nth))) << caption;
    }
    void WaitClosed() {
        ASSERT_TRUE(WaitUntil([&] { return !IsVisible(Dialog()) && IsEnabled(tool_); }));
    }
    // Ends the program and returns the settings file it wrote.
    std::string End() {
        driver::PostClose(tool_);
        EXPECT_EQ(Program().WaitForExit(), std::optional<DWORD>(0));
        return Settings().value_or("<none>");
    }

    // The file-save dialog of the program: a dialog with a file-name edit.
    HWND FileDialog() {
        return driver::WaitForWindow([&]() -> HWND {
            for (HWND w : driver::TopLevelWindows(Program().Id()))
                if (IsVisible(w) && driver::ClassName(w) == "#32770" && driver::FindChild(w, "Edit")) return w;
            return nullptr;
        });
    }
    void Browse(int which, const std::string* confirmName) {
        Press("･･･", which);
        HWND dialog = FileDialog();
        ASSERT_NE(dialog, nullptr);
        if (confirmName) {
            ASSERT_TRUE(driver::SetEditText(driver::FindChild(dialog, "Edit"), *confirmName));
            driver::PressMessageBoxButton(dialog, IDOK);
        } else {
            driver::PressMessageBoxButton(dialog, IDCANCEL);
        }
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsVisible(dialog); }));
    }

    HWND tool_ = nullptr;
};

TEST_F(SettingsDialog, ShowsItsTextsAndBothFolders) {
    Open("c:\\", "c:\\");
    for (const char* text : {"Leafcatcher Ver. 1.0", "ボタン1保存フォルダ", "ボタン2保存フォルダ"})
        EXPECT_NE(driver::FindChild(Dialog(), "Static", text), nullptr) << text;
    EXPECT_NE(Button("･･･", 1), nullptr);
    EXPECT_NE(Button("OK"), nullptr);
    EXPECT_NE(Button("キャンセル"), nullptr);
}

struct OkCase {
    const char* name;
    std::string typed1;
    std::string typed2;
    std::string stored1;
    std::string stored2;
    friend void PrintTo(const OkCase& c, std::ostream* os) { *os << c.name; }
};

class SettingsDialogOk : public SettingsDialog, public testing::WithParamInterface<OkCase> {};

TEST_P(SettingsDialogOk, StoresTheFolderPartOfEachEdit) {
    Open("c:\\", "c:\\");
    driver::SetEditText(Edit(0), GetParam().typed1);
    driver::SetEditText(Edit(1), GetParam().typed2);
    Press("OK");
    WaitClosed();
    EXPECT_EQ(End(), GetParam().stored1 + "\r\n" + GetParam().stored2 + "\r\n843\r\n332\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsDialogOk,
    testing::Values(OkCase{"Unchanged", "c:\\", "c:\\", "c:\\", "c:\\"},
                    OkCase{"WithoutClosingBackslash", "c:\\pages\\old", "d:\\x", "c:\\pages\\", "d:\\"},
                    OkCase{"FilePath", "c:\\pages\\index.html", "c:\\", "c:\\pages\\", "c:\\"},
                    OkCase{"ShiftJis", "c:\\\x95\x5C", "c:\\\x95\x5C\\", "c:\\", "c:\\\x95\x5C\\"},
                    OkCase{"NoBackslashInFolder2", "c:\\", "pages", "c:\\", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsDialog, EmptyFolderOneBringsTheDefaultsAtTheNextPaint) {
    Open("d:\\", "e:\\");
    driver::SetEditText(Edit(0), "pages");
    Press("OK");
    WaitClosed();
    // At the tool window's next paint the defaults open the dialog again, and
    // the settings file is read once more.
    RedrawWindow(tool_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    ASSERT_TRUE(WaitUntil([&] { return IsVisible(Dialog()) && !IsEnabled(tool_); }));
    ASSERT_TRUE(WaitUntil([&] { return EditText(Edit(0)) == "c:\\" && EditText(Edit(1)) == "c:\\"; }));
    Press("キャンセル");
    WaitClosed();
    EXPECT_EQ(End(), "d:\\\r\ne:\\\r\n843\r\n332\r\n");
}

TEST_F(SettingsDialog, EnterAndEscapePressNothing) {
    Open("d:\\", "e:\\");
    driver::SetEditText(Edit(0), "x:\\");
    for (UINT key : {VK_RETURN, VK_ESCAPE}) driver::PressKey(Edit(0), key);
    Sleep(200);
    EXPECT_TRUE(IsVisible(Dialog()));
    EXPECT_EQ(EditText(Edit(0)), "x:\\");
    driver::PostClose(Dialog());
    WaitClosed();
    EXPECT_EQ(End(), "d:\\\r\ne:\\\r\n843\r\n332\r\n");
}

TEST_F(SettingsDialog, CancelAndCloseBoxKeepTheFolders) {
    Open("d:\\", "e:\\");
    driver::SetEditText(Edit(0), "x:\\");
    Press("キャンセル");
    WaitClosed();
    Reopen();
    ASSERT_TRUE(WaitUntil([&] { return EditText(Edit(0)) == "d:\\"; }));  // refilled
    driver::SetEditText(Edit(1), "y:\\");
    driver::PostClose(Dialog());
    WaitClosed();
    EXPECT_EQ(End(), "d:\\\r\ne:\\\r\n843\r\n332\r\n");
}

TEST_F(SettingsDialog, BrowsingAndConfirmingShowsThatFolderAndCreatesNothing) {
    Open("c:\\", "c:\\");
    const std::string picked = dir_ + "DUMMY";
    Browse(0, &picked);
    EXPECT_EQ(EditText(Edit(0)), dir_);
    EXPECT_EQ(EditText(Edit(1)), "c:\\");  // the other edit is left alone
    EXPECT_FALSE(driver::FileExists(picked));
    EXPECT_TRUE(IsVisible(Dialog()));
    Press("OK");
    WaitClosed();
    EXPECT_EQ(End(), dir_ + "\r\nc:\\\r\n843\r\n332\r\n");
}

TEST_F(SettingsDialog, BrowsingAndCancellingRestoresTheConfirmedFolder) {
    Open("c:\\", dir_);
    driver::SetEditText(Edit(0), "typed\\");
    driver::SetEditText(Edit(1), "typed too\\");
    Browse(1, nullptr);
    EXPECT_EQ(EditText(Edit(1)), dir_);
    EXPECT_EQ(EditText(Edit(0)), "typed\\");
}

TEST_F(SettingsDialog, BrowsingThenCancelKeepsTheFolder) {
    Open("c:\\", "c:\\");
    const std::string picked = dir_ + "DUMMY";
    Browse(1, &picked);
    EXPECT_EQ(EditText(Edit(1)), dir_);
    Press("キャンセル");
    WaitClosed();
    EXPECT_EQ(End(), "c:\\\r\nc:\\\r\n843\r\n332\r\n");
}

}  // namespace
