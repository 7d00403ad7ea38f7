// Marking, naming and writing a page: MarkPage, PageFileName, CandidatePath and
// WritePage's line ends, together as a capture uses them.
//
// Input: the page's address, an LF, then the page. The last byte chooses whether
// the page is repeated to more than a megabyte (when its low six bits are 42),
// so that the writer's buffer fills; the two before it choose the name's counter
// (0 to 1000). An input shorter than that is all address and page.
//
// Pages are written to a folder of this process's own under /tmp; each file is
// removed again at once.
#include <fuzzer/FuzzedDataProvider.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "capture/page_file.h"
#include "platform/ansi_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using platform::AsciiLower;
using platform::IsLeadByte;

// The page as it must reach the file: an LF that does not follow a CR becomes CR LF.
std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

// The address as the marker quotes it.
std::string Quoted(std::string_view url) {
    std::string out;
    for (const char c : url) {
        if (c == '"') out += "%22";
        else if (c == '<') out += "%3C";
        else if (c == '>') out += "%3E";
        else out += c;
    }
    return out;
}

std::size_t FirstBodyTag(std::string_view page) {
    constexpr std::string_view kTag = "<body";
    for (std::size_t i = 0; i + kTag.size() <= page.size(); ++i) {
        std::size_t k = 0;
        while (k < kTag.size() && AsciiLower(page[i + k]) == kTag[k]) ++k;
        if (k == kTag.size()) return i;
    }
    return std::string_view::npos;
}

void CheckMark(std::string_view page, std::string_view url, const MarkedPage& marked) {
    // The page, whole and in order, around one marker.
    LC_FUZZ_CHECK(marked.head.size() + marked.tail.size() == page.size());
    LC_FUZZ_CHECK(marked.head.empty() || marked.head.data() == page.data());
    LC_FUZZ_CHECK(page.substr(0, marked.head.size()) == marked.head);
    LC_FUZZ_CHECK(page.substr(marked.head.size()) == marked.tail);
    std::string text = marked.Text();
    LC_FUZZ_CHECK(text.size() == page.size() + marked.marker.size());
    LC_FUZZ_CHECK(text.compare(marked.head.size(), marked.marker.size(), marked.marker) == 0);
    text.erase(marked.head.size(), marked.marker.size());
    LC_FUZZ_CHECK(text == page);

    // The marker holds the address, quoted, and nothing of it can end the marker early.
    const std::string quoted = Quoted(url);
    LC_FUZZ_CHECK(!marked.marker.empty() && marked.marker.find(quoted) != std::string::npos);

    // Right after the first "<body ...>", or at the very beginning.
    const std::size_t body = FirstBodyTag(page);
    const std::size_t close = body == std::string_view::npos ? body : page.find('>', body + 5);
    LC_FUZZ_CHECK(marked.head.size() == (close == std::string_view::npos ? 0 : close + 1));
}

bool IsDeviceName(std::string_view name) {
    std::string base;
    for (const char c : name.substr(0, name.find('.'))) base += (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
        if (base == device) return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

void CheckName(std::string_view url, const std::string& name) {
    LC_FUZZ_CHECK(!name.empty());
    LC_FUZZ_CHECK(name.find_first_not_of('.') != std::string::npos);
    LC_FUZZ_CHECK(!IsDeviceName(name));
    // No byte that Windows refuses in a name, except as the second byte of a
    // double-byte character.
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (IsLeadByte(b)) {
            ++i;
            continue;
        }
        LC_FUZZ_CHECK(b >= 0x20 && std::strchr("\\/:*?\"<>|", b) == nullptr);
    }
    // Taken from the address's last segment.
    const std::string_view segment = url.substr(url.rfind('/') + 1);
    if (segment.find_first_not_of('.') == std::string_view::npos) {
        LC_FUZZ_CHECK(name == "index.html");
    } else {
        LC_FUZZ_CHECK(name.size() == segment.size() || name.size() == segment.size() + 1);
    }
}

void CheckCandidate(const std::string& folder, const std::string& name, unsigned counter) {
    const std::string path = CandidatePath(folder, name, counter);
    if (counter == 0) {
        LC_FUZZ_CHECK(path == folder + name);
        return;
    }
    // "_NNN" in front of the name's extension, or at its end.
    const std::size_t dot = name.rfind('.');
    const std::size_t at = folder.size() + (dot == std::string::npos ? name.size() : dot);
    LC_FUZZ_CHECK(path.size() == folder.size() + name.size() + 4);
    std::string digits = std::to_string(counter % 1000);
    digits.insert(0, 3 - digits.size(), '0');
    LC_FUZZ_CHECK(path.compare(at, 4, "_" + digits) == 0);
    LC_FUZZ_CHECK(std::string(path).erase(at, 4) == folder + name);
}

std::string ReadFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    LC_FUZZ_CHECK(fd >= 0);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    LC_FUZZ_CHECK(size >= 0 && ::lseek(fd, 0, SEEK_SET) == 0);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        LC_FUZZ_CHECK(n > 0);
        done += static_cast<std::size_t>(n);
    }
    char more;
    LC_FUZZ_CHECK(::read(fd, &more, 1) == 0);
    ::close(fd);
    return bytes;
}

std::string made_folder;

// This process's folder, made at the first call and removed when the process ends.
const std::string& Folder() {
    if (made_folder.empty()) {
        char pattern[] = "/tmp/lc-fuzz-page-XXXXXX";
        LC_FUZZ_CHECK(::mkdtemp(pattern) != nullptr);
        made_folder = std::string(pattern) + "/";
        std::atexit([] { ::rmdir(made_folder.c_str()); });
    }
    return made_folder;
}

void CheckWrite(const std::string& name, unsigned counter, const MarkedPage& marked) {
    // The page's own name when this file system takes it, otherwise a plain one.
    const bool usable = name.size() <= 200 && name.find('\0') == std::string::npos;
    const std::string path = CandidatePath(Folder(), usable ? name : "page.html", counter);
    const std::string expected = WithCrLf(marked.Text());

    LC_FUZZ_CHECK(WritePage(path, marked) == WriteResult::Written);
    LC_FUZZ_CHECK(ReadFile(path) == expected);
    // A name that is taken is never written over.
    LC_FUZZ_CHECK(WritePage(path, MarkedPage("other\n")) == WriteResult::NameTaken);
    LC_FUZZ_CHECK(ReadFile(path) == expected);
    LC_FUZZ_CHECK(::unlink(path.c_str()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const bool large = (in.ConsumeIntegral<std::uint8_t>() & 63) == 42;
    const unsigned counter = in.ConsumeIntegralInRange<unsigned>(0, kLastCounter);
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const std::size_t lf = rest.find('\n');
    const std::string_view url = std::string_view(rest).substr(0, lf);
    std::string largePage;
    std::string_view page = lf == std::string::npos ? std::string_view() : std::string_view(rest).substr(lf + 1);
    if (large && !page.empty()) {
        while (largePage.size() <= (std::size_t{1} << 20) + page.size()) largePage.append(page);
        page = largePage;
    }

    const MarkedPage marked = MarkPage(page, url);
    CheckMark(page, url, marked);

    const std::string name = PageFileName(url);
    CheckName(url, name);
    CheckCandidate("c:\\pages\\", name, counter);
    CheckCandidate(Folder(), name, counter);

    CheckWrite(name, counter, marked);
    return 0;
}
