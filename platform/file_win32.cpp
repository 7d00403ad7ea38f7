#include "platform/file.h"

#include <windows.h>

namespace platform {

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

}  // namespace platform
