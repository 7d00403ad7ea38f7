// Marking a downloaded page with its address, naming it, and saving it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

// A page with its marker: the page's bytes up to the insertion point, the marker,
// and the rest of the page. The two parts of the page are views into it, so a
// large page is never copied.
struct MarkedPage {
    MarkedPage() = default;
    // A text without a marker.
    template <class Text, class = std::enable_if_t<std::is_convertible_v<const Text&, std::string_view>>>
    MarkedPage(const Text& whole) : head(whole) {}
    MarkedPage(std::string_view h, std::string m, std::string_view t)
        : head(h), marker(std::move(m)), tail(t) {}

    std::string Text() const;  // the whole marked text, for tests and small pages

    std::string_view head;
    std::string marker;
    std::string_view tail;
};

// The page with one marker holding `url` inserted: right after the first "<body"
// tag (any case) when that tag is closed by a '>', otherwise at the very beginning.
// The result refers to `page`, which must outlive it.
MarkedPage MarkPage(std::string_view page, std::string_view url);

// The file name for a page: the address's last '/'-segment ("index.html" when that
// is empty or only dots), made safe to use as a plain Windows file name.
std::string PageFileName(std::string_view url);

// A path to write a page to. `counter` is 0 for the first path, otherwise the
// number behind the path's "_NNN" suffix (1 to 1000).
struct FreePath {
    std::string path;
    unsigned counter = 0;
};

constexpr unsigned kLastCounter = 1000;  // suffixes _001 ... _999, _000

// The first candidate, from counter `from` on, that cannot be opened for reading:
// the first path (folder + name), then its suffixed variants. Empty when every
// candidate is taken.
std::optional<FreePath> FindFreePath(const std::string& folder, const std::string& name,
                                     unsigned from = 0);

// The candidate path for a counter: the suffix "_NNN" goes in front of the name's
// extension (from its last '.'), or at the end when it has none.
std::string CandidatePath(const std::string& folder, const std::string& name, unsigned counter);

enum class WriteResult {
    Written,    // the whole text is in a new file
    NameTaken,  // a file of that name appeared since it was probed; nothing written
    Failed,     // the file could not be created, written or closed; nothing left behind
};

// Creates `path` as a new file and writes `text` with every LF that does not
// follow a CR written as CR LF. Never truncates an existing file.
WriteResult WritePage(const std::string& path, const MarkedPage& text);

// Why a page could not be saved.
enum class SaveError { None, NoFreeName, WriteFailed };

struct SaveResult {
    SaveError error = SaveError::None;
    std::string path;  // the file written, when error is None
};

// FindFreePath and WritePage together: a name taken between the probe and the
// write moves on to the next free name.
SaveResult SavePage(const std::string& folder, const std::string& name, const MarkedPage& text);
