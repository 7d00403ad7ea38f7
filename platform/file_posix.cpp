#include "platform/file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

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

}  // namespace platform
