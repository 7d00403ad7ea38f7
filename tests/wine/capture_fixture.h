// The real program with the stand-in browser and an HTTP server on 127.0.0.1.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "tests/wine/http_server.h"
#include "tests/wine/leafcatch_fixture.h"


inline const std::string kPhrase =
    "\x82\x6E\x82\x71\x82\x68\x82\x66\x82\x68\x82\x6D\x82\x60\x82\x6B\x81\x40\x82\x74\x82\x71\x82\x6B";

// The link marker as it stands in a saved file.
inline std::string SavedLinkMarker(const std::string& url) {
    return "<!--written by Quillbarrow--><BR><A HREF=\"" + url + "\">" + kPhrase + "</A><BR><BR>\r\n";
}

class CaptureTest : public LeafcatchTest {
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
        ASSERT_TRUE(driver::WaitUntil([&] { return driver::FileExists(state); }));
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
        return driver::WaitUntil([&] {
            return driver::IsEnabled(tool_) && driver::Caption(tool_) == "Leafcatch" && !driver::IsVisible(Notice());
        });
    }
    // The failure message: shown while the run is still busy, then closed.
    void ExpectFailureMessage() {
        HWND box = driver::WaitForMessageBox(Program().Id(), 10000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(driver::MessageBoxText(box), "取得できません");
        EXPECT_EQ(driver::MessageBoxCaption(box), "Leafcatch");
        EXPECT_EQ(driver::Caption(tool_), "LC(取得中)");
        EXPECT_TRUE(driver::IsVisible(Notice()));
        EXPECT_FALSE(driver::IsEnabled(tool_));
        driver::PressMessageBoxButton(box);
        EXPECT_TRUE(Idle());
    }
    std::string Saved(const std::string& path) { return driver::ReadFileBytes(path).value_or("<missing>"); }

    test_http::HttpServer server_;
    std::optional<driver::Process> browser_;
    std::string folder1_;
    std::string folder2_;
    HWND tool_ = nullptr;
};
