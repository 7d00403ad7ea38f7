// Plain files addressed by ANSI byte paths. Every handle is owned by an object and
// closed by its destructor; failures are results, never exceptions.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

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

}  // namespace platform
