#include "platform/file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

std::string CurrentDirectory() {
    std::string dir(256, '\0');
    while (!::getcwd(dir.data(), dir.size())) {
        if (errno != ERANGE) return {};
        dir.resize(dir.size() * 2);
    }
    return dir.c_str();
}

bool CanOpenForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

OutputFile::~OutputFile() {
    Close();
}

CreateResult OutputFile::CreateNew(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) return CreateResult::Created;
    return errno == EEXIST ? CreateResult::Exists : CreateResult::Failed;
}

bool OutputFile::Write(const char* data, std::size_t size) {
    if (fd_ < 0) return false;
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool OutputFile::Close() {
    if (fd_ < 0) return false;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

bool OutputFile::IsOpen() const {
    return fd_ >= 0;
}

constexpr std::size_t kInputBuffer = 64 * 1024;

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool InputFile::Open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    buffer_ = std::make_unique<char[]>(kInputBuffer);
    return true;
}

bool InputFile::Fill() {
    if (fd_ < 0) return false;
    ssize_t n;
    do {
        n = ::read(fd_, buffer_.get(), kInputBuffer);
    } while (n < 0 && errno == EINTR);
    pos_ = 0;
    size_ = n > 0 ? static_cast<std::size_t>(n) : 0;
    return size_ > 0;
}

bool ReplaceFileWith(const std::string& path, std::string_view bytes) {
    // A file that may not be written stays as it is, as an open for writing would.
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) return false;
    const std::string temp = path + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace platform
