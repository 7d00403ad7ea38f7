// Starts the real Leafcatch.exe in a folder of its own and finds its windows.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/wine/driver/driver.h"

// The settings file the program reads at start and writes at the end.
inline const std::string kExampleSettings = "c:\\\r\nc:\\\r\n843\r\n332\r\n";

class LeafcatchTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = driver::MakeTempFolder();
        ASSERT_FALSE(dir_.empty());
        workDir_ = dir_;
    }
    void TearDown() override {
        for (auto& p : processes_) p.Kill();
        driver::RemoveFolder(dir_);
    }

    // The program, or its test build whose HTTP limits come from its environment.
    std::string Exe() const { return driver::ExeFolder() + (testBuild_ ? "LeafcatchTestBuild.exe" : "Leafcatch.exe"); }
    std::string Ini() const { return workDir_ + "Leafcatch.ini"; }
    void PutSettings(const std::string& bytes) { ASSERT_TRUE(driver::WriteFileBytes(Ini(), bytes)); }
    std::optional<std::string> Settings() const { return driver::ReadFileBytes(Ini()); }

    // Starts a copy in the test's folder; the last one started is Program().
    driver::Process& Start() {
        processes_.push_back(driver::Process::Launch(Exe(), workDir_));
        return processes_.back();
    }
    driver::Process& Program() { return processes_.back(); }

    // The three windows by their classes, hidden ones included.
    HWND ToolWindow() { return Find("TForm1"); }
    HWND Dialog() { return Find("TForm2"); }
    HWND Notice() { return Find("TForm3"); }
    HWND AppWindow() { return Find("TApplication"); }
    HWND Find(const char* className) {
        return driver::WaitForWindow([&] { return driver::FindWindowByClass(Program().Id(), className); });
    }

    // Started with a settings file and waited for until its tool window shows.
    HWND StartShown(const std::string& settings = kExampleSettings) {
        PutSettings(settings);
        Start();
        HWND tool = driver::WaitForWindow(
            [&] { return driver::IsVisible(ToolWindowNow()) ? ToolWindowNow() : nullptr; });
        EXPECT_NE(tool, nullptr);
        return tool;
    }
    // The dialog's edits in their order (folder 1, folder 2).
    HWND DialogEdit(int index) {
        std::vector<HWND> edits;
        for (HWND child : driver::ChildWindows(Dialog()))
            if (driver::ClassName(child) == "Edit") edits.push_back(child);
        return index < static_cast<int>(edits.size()) ? edits[index] : nullptr;
    }
    HWND ToolWindowNow() { return driver::FindWindowByClass(Program().Id(), "TForm1"); }

    std::string dir_;
    std::string workDir_;  // where the program starts and keeps its settings
    bool testBuild_ = false;
    std::vector<driver::Process> processes_;
};

// Sets a registry value for a test and puts back what was there before.
class ScopedRegistryValue {
public:
    ScopedRegistryValue(HKEY root, const char* key, DWORD type, const std::string& data) : root_(root), key_(key) {
        HKEY h = nullptr;
        if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) != ERROR_SUCCESS) return;
        DWORD size = sizeof saved_;
        if (RegQueryValueExA(h, "", nullptr, &savedType_, reinterpret_cast<BYTE*>(saved_), &size) == ERROR_SUCCESS)
            savedSize_ = size;
        RegSetValueExA(h, "", 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
        RegCloseKey(h);
    }
    ~ScopedRegistryValue() {
        HKEY h = nullptr;
        if (RegOpenKeyExA(root_, key_, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
        if (savedSize_) RegSetValueExA(h, "", 0, savedType_, reinterpret_cast<BYTE*>(saved_), savedSize_);
        else RegDeleteValueA(h, "");
        RegCloseKey(h);
    }
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

private:
    HKEY root_;
    const char* key_;
    char saved_[1024];
    DWORD savedType_ = 0;
    DWORD savedSize_ = 0;
};

inline constexpr const char* kBrowserKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Iexplore.exe";
