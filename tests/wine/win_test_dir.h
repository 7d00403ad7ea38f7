// A fresh folder per test for Windows test programs, removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

class WinTestDir : public testing::Test {
protected:
    // Creates the folder under `parent` (a Windows path ending in '\').
    void MakeUnder(const std::string& parent) {
        for (unsigned n = GetTickCount();; ++n) {
            dir_ = parent + "lc-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(n) + "\\";
            if (CreateDirectoryA(dir_.c_str(), nullptr)) return;
            ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << dir_;
        }
    }
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        MakeUnder(temp);
    }
    void TearDown() override { RemoveTree(dir_); }

    static void RemoveTree(const std::string& dir) {
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(dir + name + "\\");
                } else {
                    SetFileAttributesA((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA((dir + name).c_str());
                }
            } while (FindNextFileA(h, &found));
            FindClose(h);
        }
        RemoveDirectoryA(dir.c_str());
    }

    std::string Read(const std::string& path) const {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
        CloseHandle(h);
        return bytes;
    }
    void Put(const std::string& path, const std::string& bytes) const {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }
    static bool Exists(const std::string& path) {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string dir_;
};
