// The settings file reader, ReadSettings, and the writer's text read back.
//
// Input: the bytes of a Leafcatch.ini.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ansi_text.h"
#include "settings/settings_file.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool operator==(const Settings& a, const Settings& b) {
    return a.folder1 == b.folder1 && a.folder2 == b.folder2 && a.left == b.left && a.top == b.top;
}

// A folder as the program holds it: empty, or ending in a backslash that is a
// character of its own (not the second byte of a double-byte character).
void CheckFolder(const std::string& folder) {
    LC_FUZZ_CHECK(folder.size() <= 999);
    LC_FUZZ_CHECK(folder.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    if (folder.empty()) return;
    std::size_t i = 0, last = 0;
    while (i < folder.size()) {
        last = i;
        i += platform::IsLeadByte(static_cast<unsigned char>(folder[i])) ? 2 : 1;
    }
    LC_FUZZ_CHECK(i == folder.size() && folder[last] == '\\');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = lc_fuzz::AsText(data, size);

    Settings read;
    ReadSettings(bytes, read);
    CheckFolder(read.folder1);
    CheckFolder(read.folder2);

    // Values already held: the folders are always replaced, a position only when
    // it scans (and one that scans is the same value).
    const Settings held{"c:\\held\\", "d:\\held\\", 123, -456};
    Settings over = held;
    ReadSettings(bytes, over);
    LC_FUZZ_CHECK(over.folder1 == read.folder1 && over.folder2 == read.folder2);
    LC_FUZZ_CHECK(over.left == read.left || (over.left == held.left && read.left == 0));
    LC_FUZZ_CHECK(over.top == read.top || (over.top == held.top && read.top == 0));

    // What the writer makes of the values reads back as the same values. A folder
    // of 999 bytes fills the reader's whole line buffer, so its line end is read
    // as a line of its own; the writer's text is not meant to hold one.
    const std::string text = SettingsText(read);
    LC_FUZZ_CHECK(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
    if (read.folder1.size() < 999 && read.folder2.size() < 999) {
        Settings again{"x\\", "y\\", 7, 8};
        ReadSettings(text, again);
        LC_FUZZ_CHECK(again == read);
        LC_FUZZ_CHECK(SettingsText(again) == text);
    }
    return 0;
}
