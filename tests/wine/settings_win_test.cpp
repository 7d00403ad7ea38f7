// The registry reader, the current directory and the settings file on Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/exception.h"
#include "platform/file.h"
#include "platform/registry.h"
#include "settings/browser_path.h"
#include "settings/settings_file.h"
#include "tests/wine/win_test_dir.h"

namespace {

using namespace std::string_literals;

void SetValue(HKEY root, const std::string& key, DWORD type, const std::string& data) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(h, "", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(h);
}

// Test keys under HKEY_CURRENT_USER, removed afterwards.
class RegistryTest : public testing::Test {
protected:
    const std::string key_ = "Software\\LeafcatchTest\\" + std::to_string(GetCurrentProcessId());
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\LeafcatchTest"); }

    std::string Read() {
        platform::Registry registry(HKEY_CURRENT_USER);
        if (!registry.OpenKeyReadOnly(key_)) return "<no key>";
        if (!registry.ValueExists("")) return "<no value>";
        return registry.ReadString("");
    }
};

TEST_F(RegistryTest, StringAsStored) {
    SetValue(HKEY_CURRENT_USER, key_, REG_SZ, "C:\\Program Files\\Browser\\browser.exe\0"s);
    EXPECT_EQ(Read(), "C:\\Program Files\\Browser\\browser.exe");
}

TEST_F(RegistryTest, ExpandableStringIsNotExpanded) {
    SetValue(HKEY_CURRENT_USER, key_, REG_EXPAND_SZ, "%ProgramFiles%\\b.exe\0"s);
    EXPECT_EQ(Read(), "%ProgramFiles%\\b.exe");
}

TEST_F(RegistryTest, ShiftJisString) {
    SetValue(HKEY_CURRENT_USER, key_, REG_SZ, "C:\\\x95\x5C\\b.exe\0"s);
    EXPECT_EQ(Read(), "C:\\\x95\x5C\\b.exe");
}

TEST_F(RegistryTest, EndsAtTheFirstNul) {
    SetValue(HKEY_CURRENT_USER, key_, REG_SZ, "a\0b\0"s);
    EXPECT_EQ(Read(), "a");
}

TEST_F(RegistryTest, EmptyValue) {
    SetValue(HKEY_CURRENT_USER, key_, REG_SZ, "");
    EXPECT_EQ(Read(), "");
}

TEST_F(RegistryTest, AbsentKeyAndAbsentValue) {
    EXPECT_EQ(Read(), "<no key>");
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_EQ(Read(), "<no value>");
}

TEST_F(RegistryTest, DwordRaisesInvalidDataType) {
    SetValue(HKEY_CURRENT_USER, key_, REG_DWORD, "\x01\x00\x00\x00"s);
    try {
        Read();
        FAIL() << "no exception";
    } catch (const platform::Exception& error) {
        EXPECT_EQ(error.Message(), "Invalid data type for ''");
    }
}

// The browser's real key under HKEY_LOCAL_MACHINE, restored afterwards.
class BrowserPathTest : public testing::Test {
protected:
    void SetUp() override {
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBrowserAppPathKey, 0, KEY_READ, &h) == ERROR_SUCCESS) {
            char value[1024];
            DWORD size = sizeof value;
            DWORD type = 0;
            if (RegQueryValueExA(h, "", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS)
                saved_ = std::string(value, size), savedType_ = type;
            RegCloseKey(h);
        }
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kBrowserAppPathKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kBrowserAppPathKey);
        if (savedType_) SetValue(HKEY_LOCAL_MACHINE, kBrowserAppPathKey, savedType_, saved_);
    }

    std::string saved_;
    DWORD savedType_ = 0;
};

TEST_F(BrowserPathTest, ReadsTheRegisteredPath) {
    SetValue(HKEY_LOCAL_MACHINE, kBrowserAppPathKey, REG_SZ, "C:\\browser\\stand-in.exe\0"s);
    EXPECT_EQ(ReadBrowserPath(), "C:\\browser\\stand-in.exe");
}

TEST_F(BrowserPathTest, MissingKeyGivesEmptyText) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kBrowserAppPathKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kBrowserAppPathKey);
    EXPECT_EQ(ReadBrowserPath(), "");
}

TEST_F(BrowserPathTest, WrongTypeRaises) {
    SetValue(HKEY_LOCAL_MACHINE, kBrowserAppPathKey, REG_DWORD, "\x01\x00\x00\x00"s);
    EXPECT_THROW(ReadBrowserPath(), platform::Exception);
}

class CurrentDirectoryTest : public WinTestDir {
protected:
    void TearDown() override {
        SetCurrentDirectoryA(saved_.c_str());
        WinTestDir::TearDown();
    }
    std::string saved_ = platform::CurrentDirectory();
};

TEST_F(CurrentDirectoryTest, FolderWithoutClosingBackslash) {
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
    EXPECT_EQ(platform::CurrentDirectory() + "\\", dir_);
}

TEST_F(CurrentDirectoryTest, DriveRootKeepsItsBackslash) {
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(platform::CurrentDirectory(), "C:\\");
    EXPECT_EQ(SettingsPath(platform::CurrentDirectory()), "C:\\\\Leafcatch.ini");
}

class SettingsFileWin : public WinTestDir {};

TEST_F(SettingsFileWin, DoubledBackslashPathWorks) {
    const std::string path = SettingsPath(dir_);  // dir_ ends in '\': a doubled backslash
    ASSERT_TRUE(SaveSettingsFile(path, Settings{"c:\\", "c:\\", 843, 332}));
    EXPECT_EQ(Read(dir_ + "Leafcatch.ini"), "c:\\\r\nc:\\\r\n843\r\n332\r\n");
    Settings s;
    ASSERT_TRUE(LoadSettingsFile(path, s));
    EXPECT_EQ(s.left, 843);
}

TEST_F(SettingsFileWin, ReplacesAnExistingFile) {
    Put(dir_ + "Leafcatch.ini", "old\r\n");
    ASSERT_TRUE(SaveSettingsFile(dir_ + "Leafcatch.ini", Settings{"a\\", "b\\", -1, -2}));
    EXPECT_EQ(Read(dir_ + "Leafcatch.ini"), "a\\\r\nb\\\r\n-1\r\n-2\r\n");
    EXPECT_FALSE(Exists(dir_ + "Leafcatch.ini.new"));
}

TEST_F(SettingsFileWin, ReadOnlyFileStaysAsItWas) {
    Put(dir_ + "Leafcatch.ini", "old\r\n");
    SetFileAttributesA((dir_ + "Leafcatch.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(SaveSettingsFile(dir_ + "Leafcatch.ini", Settings{"a\\", "b\\", 1, 2}));
    EXPECT_EQ(Read(dir_ + "Leafcatch.ini"), "old\r\n");
    EXPECT_FALSE(Exists(dir_ + "Leafcatch.ini.new"));
}

}  // namespace
