// Byte-string helpers for texts in the ANSI code page (Shift-JIS, code page 932).
// Positions are 0-based byte offsets.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// True for a byte that starts a double-byte Shift-JIS character.
constexpr bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Offset of the last byte equal to `c`, or npos. The second byte of a double-byte
// character never counts; pairs are found by scanning from the start.
std::size_t LastCharPos(std::string_view text, char c);

// ASCII letters A-Z turned into a-z; every other byte is kept.
constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares ignoring the case of ASCII letters.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace platform
