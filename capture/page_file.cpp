#include "capture/page_file.h"

#include <cstring>
#include <memory>

#include "platform/ansi_text.h"
#include "platform/file.h"

namespace {

// Marker pieces around the address (Shift-JIS).
constexpr std::string_view kLinkBefore = "<!--written by Quillbarrow--><BR><A HREF=\"";
constexpr std::string_view kLinkAfter = "\">ＯＲＩＧＩＮＡＬ　ＵＲＬ</A><BR><BR>\n";
constexpr std::string_view kCommentBefore = "<!--written by Quillbarrow  \"";
constexpr std::string_view kCommentAfter = "\" ＝ ＯＲＩＧＩＮＡＬ　ＵＲＬ -->\n";

// The address as it may stand inside the marker's quotes: a quote or an angle
// bracket in it would end the attribute or the comment early.
std::string MarkerSafeUrl(std::string_view url) {
    std::string out;
    out.reserve(url.size());
    for (char c : url) {
        switch (c) {
        case '"': out += "%22"; break;
        case '<': out += "%3C"; break;
        case '>': out += "%3E"; break;
        default: out += c;
        }
    }
    return out;
}

// Offset of the first "<body", compared ignoring ASCII case, or npos.
std::size_t FindBodyTag(std::string_view page) {
    constexpr std::string_view kTag = "<body";
    std::size_t from = 0;
    while (from + kTag.size() <= page.size()) {
        const void* hit = std::memchr(page.data() + from, '<', page.size() - from);
        if (!hit) return std::string_view::npos;
        const std::size_t p = static_cast<const char*>(hit) - page.data();
        if (p + kTag.size() > page.size()) return std::string_view::npos;
        if (platform::EqualsIgnoringAsciiCase(page.substr(p, kTag.size()), kTag)) return p;
        from = p + 1;
    }
    return std::string_view::npos;
}

bool IsReservedDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL"}) {
        if (platform::EqualsIgnoringAsciiCase(base, device)) return true;
    }
    if (base.size() == 4 && base[3] >= '1' && base[3] <= '9') {
        const std::string_view stem = base.substr(0, 3);
        return platform::EqualsIgnoringAsciiCase(stem, "COM") ||
               platform::EqualsIgnoringAsciiCase(stem, "LPT");
    }
    return false;
}

bool IsUnsafeNameByte(unsigned char b) {
    return b < 0x20 || std::strchr("\\:*?\"<>|", b) != nullptr;
}

// Writes texts with bare LFs turned into CR LF, through a fixed buffer. A CR at
// the end of one text pairs with an LF at the start of the next.
class CrLfWriter {
public:
    explicit CrLfWriter(platform::OutputFile& file)
        : file_(file), buffer_(std::make_unique<char[]>(kBufferSize)) {}

    bool Write(std::string_view text) {
        std::size_t pos = 0;
        while (pos < text.size()) {
            const void* hit = std::memchr(text.data() + pos, '\n', text.size() - pos);
            const std::size_t lf = hit ? static_cast<const char*>(hit) - text.data() : text.size();
            if (!Put(text.substr(pos, lf - pos))) return false;
            if (lf == text.size()) break;
            const bool afterCr = lf > 0 ? text[lf - 1] == '\r' : last_ == '\r';
            if (!Put(afterCr ? std::string_view("\n") : std::string_view("\r\n"))) return false;
            pos = lf + 1;
        }
        if (!text.empty()) last_ = text.back();
        return true;
    }

    bool Flush() {
        const bool ok = used_ == 0 || file_.Write(buffer_.get(), used_);
        used_ = 0;
        return ok;
    }

private:
    bool Put(std::string_view bytes) {
        if (used_ + bytes.size() > kBufferSize) {
            if (!Flush()) return false;
            if (bytes.size() > kBufferSize) return file_.Write(bytes.data(), bytes.size());
        }
        std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
        return true;
    }

    static constexpr std::size_t kBufferSize = 1024 * 1024;

    platform::OutputFile& file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    char last_ = 0;
};

}  // namespace

std::string MarkedPage::Text() const {
    std::string text;
    text.reserve(head.size() + marker.size() + tail.size());
    return text.append(head).append(marker).append(tail);
}

MarkedPage MarkPage(std::string_view page, std::string_view url) {
    const std::string safeUrl = MarkerSafeUrl(url);
    const std::size_t body = FindBodyTag(page);
    const std::size_t close = body == std::string_view::npos ? body : page.find('>', body + 5);
    if (close == std::string_view::npos) {
        return {{}, std::string(kCommentBefore).append(safeUrl).append(kCommentAfter), page};
    }
    return {page.substr(0, close + 1), std::string(kLinkBefore).append(safeUrl).append(kLinkAfter),
            page.substr(close + 1)};
}

std::string PageFileName(std::string_view url) {
    const std::size_t slash = url.rfind('/');
    std::string name(slash == std::string_view::npos ? url : url.substr(slash + 1));
    if (name.find_first_not_of('.') == std::string::npos) return "index.html";

    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (platform::IsLeadByte(b)) {
            ++i;  // the second byte belongs to the character
        } else if (IsUnsafeNameByte(b)) {
            name[i] = '_';
        }
    }
    if (IsReservedDeviceName(name)) name.insert(0, "_");
    return name;
}

std::string CandidatePath(const std::string& folder, const std::string& name, unsigned counter) {
    if (counter == 0) return folder + name;
    const std::string digits = "00" + std::to_string(counter);
    const std::string suffix = "_" + digits.substr(digits.size() - 3);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return folder + name + suffix;
    return folder + name.substr(0, dot) + suffix + name.substr(dot);
}

std::optional<FreePath> FindFreePath(const std::string& folder, const std::string& name,
                                     unsigned from) {
    for (unsigned counter = from; counter <= kLastCounter; ++counter) {
        std::string candidate = CandidatePath(folder, name, counter);
        if (!platform::CanOpenForReading(candidate)) return FreePath{std::move(candidate), counter};
    }
    return std::nullopt;
}

WriteResult WritePage(const std::string& path, const MarkedPage& text) {
    platform::OutputFile file;
    switch (file.CreateNew(path)) {
    case platform::CreateResult::Exists: return WriteResult::NameTaken;
    case platform::CreateResult::Failed: return WriteResult::Failed;
    case platform::CreateResult::Created: break;
    }
    CrLfWriter writer(file);
    const bool written = writer.Write(text.head) && writer.Write(text.marker) &&
                         writer.Write(text.tail) && writer.Flush();
    const bool closed = file.Close();
    if (written && closed) return WriteResult::Written;
    platform::RemoveFile(path);
    return WriteResult::Failed;
}

SaveResult SavePage(const std::string& folder, const std::string& name, const MarkedPage& text) {
    unsigned from = 0;
    for (;;) {
        std::optional<FreePath> free = FindFreePath(folder, name, from);
        if (!free) return {SaveError::NoFreeName, {}};
        switch (WritePage(free->path, text)) {
        case WriteResult::Written: return {SaveError::None, std::move(free->path)};
        case WriteResult::Failed: return {SaveError::WriteFailed, {}};
        case WriteResult::NameTaken: break;
        }
        from = free->counter + 1;
    }
}
