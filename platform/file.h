// Plain files addressed by ANSI byte paths. Every handle is owned by an object and
// closed by its destructor; failures are results, never exceptions.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The current directory of the process, without a closing separator unless it
// is a root.
std::string CurrentDirectory();

// Opens the path for reading and closes it again; true when the open succeeded.
bool CanOpenForReading(const std::string& path);

// Deletes a file; true on success.
bool RemoveFile(const std::string& path);

enum class CreateResult {
    Created,  // a new, empty file
    Exists,   // something already has this name; nothing was touched
    Failed,   // any other reason (missing folder, no access, bad name)
};

// A file opened for writing. Never truncates an existing file.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates `path` exclusively and opens it for writing.
    CreateResult CreateNew(const std::string& path);

    // Writes all bytes; false when they did not all reach the file.
    bool Write(const char* data, std::size_t size);

    // Closes the file; false when closing failed or nothing was open.
    bool Close();

    bool IsOpen() const;

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// A file opened for reading byte by byte, through a buffer.
class InputFile {
public:
    static constexpr int kEnd = -1;

    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    bool Open(const std::string& path);
    // The next byte (0-255), or kEnd at the end of the file or on a read error.
    int Next() {
        if (pos_ == size_ && !Fill()) return kEnd;
        return static_cast<unsigned char>(buffer_[pos_++]);
    }

private:
    bool Fill();

#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    std::unique_ptr<char[]> buffer_;
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
};

// Replaces the file at `path` with `bytes`: they are written to a new file beside
// it, which takes the old file's place only once complete. On any failure, and
// for an old file that may not be written, the old file stays as it was and the
// new one is removed.
bool ReplaceFileWith(const std::string& path, std::string_view bytes);

}  // namespace platform
