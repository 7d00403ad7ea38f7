#pragma once

#include <string>

// Where the browser's executable is registered.
inline constexpr const char* kBrowserAppPathKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Iexplore.exe";

// The browser's executable as registered under HKEY_LOCAL_MACHINE, unexpanded;
// empty when the key or its default value is missing. Raises an Exception for a
// value that is not a string.
std::string ReadBrowserPath();
