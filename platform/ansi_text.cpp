#include "platform/ansi_text.h"

namespace platform {

std::size_t LastCharPos(std::string_view text, char c) {
    std::size_t last = std::string_view::npos;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (text[i] == c) last = i;
        i += IsLeadByte(b) ? 2 : 1;
    }
    return last;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

}  // namespace platform
