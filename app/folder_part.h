#pragma once

#include <string>
#include <string_view>

// The text up to and including its last backslash; empty when it has none.
// Every folder value passes through it, so a folder is empty or ends with '\'.
std::string FolderPart(std::string_view text);
