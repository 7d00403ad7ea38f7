// Reads values from the Windows registry. Keys are opened for reading only.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

class Registry {
public:
    explicit Registry(HKEY root) : root_(root) {}
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
    ~Registry() { CloseKey(); }

    // Opens an existing key; never creates one. False when it does not open.
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();

    // "" names the key's default value.
    bool ValueExists(const std::string& name) const;
    // A string value as stored (not expanded), up to its first NUL. Raises an
    // Exception for a value that is not a string.
    std::string ReadString(const std::string& name) const;

private:
    HKEY root_;
    HKEY key_ = nullptr;
};

}  // namespace platform
