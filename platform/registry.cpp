#include "platform/registry.h"

#include "platform/exception.h"

#include <algorithm>

namespace platform {

bool Registry::OpenKeyReadOnly(const std::string& key) {
    CloseKey();
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root_, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    key_ = opened;
    return true;
}

void Registry::CloseKey() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

bool Registry::ValueExists(const std::string& name) const {
    return key_ && RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string Registry::ReadString(const std::string& name) const {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!key_ || RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw Exception("Invalid data type for '" + name + "'");
    std::string value(size, '\0');
    if (size > 0 &&
        RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
            ERROR_SUCCESS) {
        return {};
    }
    value.resize(std::min<std::size_t>(size, value.size()));
    return value.substr(0, value.find('\0'));
}

}  // namespace platform
