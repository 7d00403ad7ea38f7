#include "settings/settings_file.h"

#include "app/folder_part.h"
#include "platform/file.h"

namespace {

constexpr int kEnd = -1;
constexpr std::size_t kLineMax = 999;  // a line buffer of 1000 bytes

// Bytes as a text-mode stream delivers them: CR bytes dropped, one byte of
// look-ahead for the number scan.
class TextStream {
public:
    explicit TextStream(const std::function<int()>& next) : next_(next) {}

    int Peek() {
        if (!peeked_) {
            do {
                ahead_ = next_();
            } while (ahead_ == '\r');
            peeked_ = true;
        }
        return ahead_;
    }
    int Get() {
        const int c = Peek();
        peeked_ = false;
        return c;
    }

    // Up to and including the next LF, at most kLineMax bytes; false when the
    // stream ended before any byte.
    bool ReadLine(std::string& line) {
        line.clear();
        while (line.size() < kLineMax) {
            const int c = Get();
            if (c == kEnd) break;
            line += static_cast<char>(c);
            if (c == '\n') break;
        }
        return !line.empty();
    }

    // An optionally signed decimal integer after optional white space.
    bool ScanInt(std::int32_t& value) {
        SkipSpace();
        bool negative = false;
        if (Peek() == '+' || Peek() == '-') negative = Get() == '-';
        if (!IsDigit(Peek())) return false;
        std::uint32_t magnitude = 0;  // wraps like the runtime's scanner
        while (IsDigit(Peek())) magnitude = magnitude * 10u + static_cast<std::uint32_t>(Get() - '0');
        value = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
        return true;
    }

    void SkipSpace() {
        while (Peek() == ' ' || (Peek() >= '\t' && Peek() <= '\r')) Get();
    }

private:
    static bool IsDigit(int c) { return c >= '0' && c <= '9'; }

    const std::function<int()>& next_;
    int ahead_ = kEnd;
    bool peeked_ = false;
};

std::string FolderFromLine(const std::string& line) {
    return FolderPart(std::string_view(line).substr(0, line.find('\0')));
}

}  // namespace

std::string SettingsPath(const std::string& startDir) {
    return startDir + "\\Leafcatch.ini";
}

void ReadSettings(const std::function<int()>& nextByte, Settings& settings) {
    TextStream in(nextByte);
    std::string line1, line2;
    in.ReadLine(line1);
    in.ReadLine(line2);
    // "%d\n%d": the "\n" matches any white space, none included.
    if (in.ScanInt(settings.left)) {
        in.SkipSpace();
        in.ScanInt(settings.top);
    }
    settings.folder1 = FolderFromLine(line1);
    settings.folder2 = FolderFromLine(line2);
}

void ReadSettings(std::string_view bytes, Settings& settings) {
    std::size_t pos = 0;
    ReadSettings([&]() -> int { return pos < bytes.size() ? static_cast<unsigned char>(bytes[pos++]) : kEnd; },
                 settings);
}

std::string SettingsText(const Settings& settings) {
    const std::string lines[] = {
        settings.folder1.substr(0, settings.folder1.find('\0')),
        settings.folder2.substr(0, settings.folder2.find('\0')),
        std::to_string(settings.left),
        std::to_string(settings.top),
    };
    std::string text;
    for (const std::string& line : lines) {
        for (char c : line) {
            if (c == '\n') text += '\r';
            text += c;
        }
        text += "\r\n";
    }
    return text;
}

bool LoadSettingsFile(const std::string& path, Settings& settings) {
    platform::InputFile file;
    if (!file.Open(path)) return false;
    ReadSettings([&file] { return file.Next(); }, settings);
    return true;
}

bool SaveSettingsFile(const std::string& path, const Settings& settings) {
    return platform::ReplaceFileWith(path, SettingsText(settings));
}
