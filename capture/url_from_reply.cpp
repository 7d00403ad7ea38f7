#include "capture/browser_query.h"

std::string UrlFromReply(const std::string& reply) {
    // A double quote byte is never part of a double-byte character: the scan can
    // go byte by byte.
    if (reply.size() < 2) return {};
    const std::size_t close = reply.find('"', 1);
    if (close == std::string::npos) return {};
    return reply.substr(1, close - 1);
}

std::string ReplyFromData(const std::optional<std::string>& data) {
    if (!data) return {};
    return data->substr(0, data->find('\0'));
}
