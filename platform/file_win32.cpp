#include "platform/file.h"

#include <windows.h>

#include <algorithm>

namespace platform {

std::string CurrentDirectory() {
    std::string dir(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(dir.size()), dir.data());
        if (length == 0) return {};
        if (length < dir.size()) return dir.substr(0, length);
        dir.resize(length);
    }
}

bool CanOpenForReading(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool RemoveFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

OutputFile::~OutputFile() {
    Close();
}

CreateResult OutputFile::CreateNew(const std::string& path) {
    Close();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        handle_ = h;
        return CreateResult::Created;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return CreateResult::Exists;
    // A folder or a file without access under this name refuses the open with
    // "access denied"; the name is taken all the same.
    if (error == ERROR_ACCESS_DENIED && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return CreateResult::Exists;
    return CreateResult::Failed;
}

bool OutputFile::Write(const char* data, std::size_t size) {
    if (!handle_) return false;
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(handle_, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool OutputFile::Close() {
    if (!handle_) return false;
    const BOOL ok = CloseHandle(handle_);
    handle_ = nullptr;
    return ok != 0;
}

bool OutputFile::IsOpen() const {
    return handle_ != nullptr;
}

constexpr DWORD kInputBuffer = 64 * 1024;

InputFile::~InputFile() {
    if (handle_) CloseHandle(handle_);
}

bool InputFile::Open(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = h;
    buffer_ = std::make_unique<char[]>(kInputBuffer);
    return true;
}

bool InputFile::Fill() {
    if (!handle_) return false;
    DWORD got = 0;
    if (!ReadFile(handle_, buffer_.get(), kInputBuffer, &got, nullptr)) got = 0;
    pos_ = 0;
    size_ = got;
    return got > 0;
}

bool ReplaceFileWith(const std::string& path, std::string_view bytes) {
    // A file the user made read-only stays as it is, as an open for writing would.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    const std::string temp = path + ".new";
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        ok = WriteFile(h, bytes.data() + done, chunk, &written, nullptr) && written > 0;
        done += written;
    }
    ok = FlushFileBuffers(h) && ok;
    ok = CloseHandle(h) && ok;
    ok = ok && MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

}  // namespace platform
