#include "app/folder_part.h"

#include "platform/ansi_text.h"

std::string FolderPart(std::string_view text) {
    const std::size_t last = platform::LastCharPos(text, '\\');
    if (last == std::string_view::npos) return {};
    return std::string(text.substr(0, last + 1));
}
