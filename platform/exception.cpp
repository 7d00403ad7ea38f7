#include "platform/exception.h"

#include "platform/ansi_text.h"

namespace platform {

std::string ReportText(const std::string& message) {
    if (message.empty()) return message;
    // The last character starts at its lead byte when it is a double-byte one.
    std::size_t last = 0;
    for (std::size_t i = 0; i < message.size(); i += IsLeadByte(message[i]) ? 2 : 1) last = i;
    const auto first = static_cast<unsigned char>(message[last]);
    return first > '.' ? message + "." : message;
}

}  // namespace platform
