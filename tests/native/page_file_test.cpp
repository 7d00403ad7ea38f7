#include "capture/page_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "tests/native/test_dir.h"

namespace {

using namespace std::string_literals;

const std::string kUrl = "http://example.com/";
// "ＯＲＩＧＩＮＡＬ　ＵＲＬ" in Shift-JIS.
const std::string kPhrase =
    "\x82\x6E\x82\x71\x82\x68\x82\x66\x82\x68\x82\x6D\x82\x60\x82\x6B\x81\x40\x82\x74\x82\x71\x82\x6B";

std::string LinkMarker(const std::string& url) {
    return "<!--written by Quillbarrow--><BR><A HREF=\"" + url + "\">" + kPhrase +
           "</A><BR><BR>\n";
}
std::string CommentMarker(const std::string& url) {
    return "<!--written by Quillbarrow  \"" + url + "\" \x81\x81 " + kPhrase + " -->\n";
}

// ---- MarkPage ---------------------------------------------------------------

TEST(MarkPage, MarkerPiecesHaveTheirLengths) {
    EXPECT_EQ(LinkMarker("").size(), 42u + 39u);
    EXPECT_EQ(CommentMarker("").size(), 29u + 34u);
    // The program's own literals are the same bytes.
    EXPECT_EQ(MarkPage("", "").Text(), CommentMarker(""));
    EXPECT_EQ(MarkPage("<body>", "").Text(), "<body>" + LinkMarker(""));
}

TEST(MarkPage, WorkedExample) {
    const std::string page = "<html><body>Hi</body></html>\n";
    ASSERT_EQ(page.size(), 29u);
    EXPECT_EQ(MarkPage(page, kUrl).Text(), "<html><body>" + LinkMarker(kUrl) + "Hi</body></html>\n");
}

struct MarkCase {
    const char* name;
    std::string page;
    std::string expected;  // '@' stands for the link marker, '#' for the comment marker
    friend void PrintTo(const MarkCase& c, std::ostream* os) { *os << c.name; }
};

class MarkPageTest : public testing::TestWithParam<MarkCase> {};

TEST_P(MarkPageTest, InsertsOneMarker) {
    std::string expected;
    for (char c : GetParam().expected) {
        if (c == '@') expected += LinkMarker(kUrl);
        else if (c == '#') expected += CommentMarker(kUrl);
        else expected += c;
    }
    EXPECT_EQ(MarkPage(GetParam().page, kUrl).Text(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    BodyTag, MarkPageTest,
    testing::Values(
        MarkCase{"CapitalsWithAttribute", "<HTML><BODY BGCOLOR=white>text",
                 "<HTML><BODY BGCOLOR=white>@text"},
        MarkCase{"MixedCase", "<BoDy>x", "<BoDy>@x"},
        MarkCase{"FirstInComment", "<head><!-- <body --></head><body>x",
                 "<head><!-- <body -->@</head><body>x"},
        MarkCase{"LongerWord", "<bodyx>y", "<bodyx>@y"},
        MarkCase{"TooShortWord", "<bod>y", "#<bod>y"},
        MarkCase{"BlankAfterBracket", "< body>y", "#< body>y"},
        MarkCase{"NoBody", "<html>plain</html>", "#<html>plain</html>"},
        MarkCase{"ShortPage", "<bo", "#<bo"},
        MarkCase{"Empty", "", "#"},
        MarkCase{"UnclosedTag", "<p>x<body class=", "#<p>x<body class="},
        MarkCase{"CloseIsLastByte", "<body>", "<body>@"},
        MarkCase{"CloseRightAfterTag", "<body\n>", "<body\n>@"},
        MarkCase{"NulBeforeTag", "a\0<body>z"s, "a\0<body>@z"s},
        MarkCase{"BracketInShiftJis", "\x82\x3C<body>", "\x82\x3C<body>@"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MarkPage, AddressCannotBreakOutOfTheMarker) {
    const std::string url = "http://h/a\"b<c>d.html";
    const std::string safe = "http://h/a%22b%3Cc%3Ed.html";
    EXPECT_EQ(MarkPage("<body>", url).Text(), "<body>" + LinkMarker(safe));
    EXPECT_EQ(MarkPage("x", url).Text(), CommentMarker(safe) + "x");
}

TEST(MarkPage, ShiftJisAddressIsKeptByteForByte) {
    const std::string url = "http://h/\x95\x5C\x82\xA0.html";
    EXPECT_EQ(MarkPage("<body>", url).Text(), "<body>" + LinkMarker(url));
}

// ---- PageFileName -----------------------------------------------------------

struct NameCase {
    const char* name;
    std::string url;
    std::string expected;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

class PageFileNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(PageFileNameTest, NamesTheFile) {
    EXPECT_EQ(PageFileName(GetParam().url), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PageFileNameTest,
    testing::Values(
        NameCase{"LastSegment", "http://h/dir/page.html", "page.html"},
        NameCase{"TrailingSlash", "http://h/dir/", "index.html"},
        NameCase{"EmptyUrl", "", "index.html"},
        NameCase{"NoSlash", "page.html", "page.html"},
        NameCase{"HostOnly", "http://example.com", "example.com"},
        NameCase{"HostAndPort", "http://example.com:8080", "example.com_8080"},
        NameCase{"QueryString", "http://h/page.html?x=1", "page.html_x=1"},
        NameCase{"FragmentAndEscapes", "http://h/a%20b.html#top", "a%20b.html#top"},
        NameCase{"EveryUnsafeByte", "http://h/a\\b:c*d?e\"f<g>h|i", "a_b_c_d_e_f_g_h_i"},
        NameCase{"ControlBytes", "http://h/a\tb\x01.html", "a_b_.html"},
        NameCase{"ShiftJisSecondBytesKept", "http://h/\x95\x5C\x83\x7C.html",
                 "\x95\x5C\x83\x7C.html"},
        NameCase{"ShiftJisThenUnsafe", "http://h/\x95\x5C?.html", "\x95\x5C_.html"},
        NameCase{"OnlyDots", "http://h/..", "index.html"},
        NameCase{"OneDot", "http://h/.", "index.html"},
        NameCase{"Device", "http://h/CON", "_CON"},
        NameCase{"DeviceLowerCaseWithExtension", "http://h/con.html", "_con.html"},
        NameCase{"DeviceTwoExtensions", "http://h/nul.tar.gz", "_nul.tar.gz"},
        NameCase{"NumberedDevices", "http://h/COM1", "_COM1"},
        NameCase{"LptWithExtension", "http://h/lpt9.txt", "_lpt9.txt"},
        NameCase{"Com0IsNoDevice", "http://h/COM0", "COM0"},
        NameCase{"LongerWordIsNoDevice", "http://h/CONSOLE.html", "CONSOLE.html"},
        NameCase{"AuxWithBlank", "http://h/aux .html", "_aux .html"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- CandidatePath ----------------------------------------------------------

struct CandidateCase {
    const char* name;
    std::string folder;
    std::string file;
    unsigned counter;
    std::string expected;
    friend void PrintTo(const CandidateCase& c, std::ostream* os) { *os << c.name; }
};

class CandidatePathTest : public testing::TestWithParam<CandidateCase> {};

TEST_P(CandidatePathTest, PutsSuffixBeforeExtension) {
    const auto& c = GetParam();
    EXPECT_EQ(CandidatePath(c.folder, c.file, c.counter), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Candidates, CandidatePathTest,
    testing::Values(
        CandidateCase{"FirstPath", "c:\\p\\", "page.html", 0, "c:\\p\\page.html"},
        CandidateCase{"First", "c:\\p\\", "page.html", 1, "c:\\p\\page_001.html"},
        CandidateCase{"Twelve", "c:\\p\\", "index.html", 12, "c:\\p\\index_012.html"},
        CandidateCase{"ThreeDigits", "c:\\p\\", "page.html", 123, "c:\\p\\page_123.html"},
        CandidateCase{"ThousandWraps", "c:\\p\\", "page.html", 1000, "c:\\p\\page_000.html"},
        CandidateCase{"LastDotCounts", "", "archive.tar.gz", 1, "archive.tar_001.gz"},
        CandidateCase{"NoExtension", "c:\\p\\", "page", 2, "c:\\p\\page_002"},
        CandidateCase{"DotInFolderIgnored", "c:\\my.dir\\", "page", 1, "c:\\my.dir\\page_001"},
        CandidateCase{"QueryAfterExtension", "", "page.html_x=1", 1, "page_001.html_x=1"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- FindFreePath -----------------------------------------------------------

class FindFreePathTest : public TestDir {};

TEST_F(FindFreePathTest, FirstPathWhenFree) {
    auto free = FindFreePath(Folder(), "page.html");
    ASSERT_TRUE(free);
    EXPECT_EQ(free->path, PathOf("page.html"));
    EXPECT_EQ(free->counter, 0u);
}

TEST_F(FindFreePathTest, FirstGapWins) {
    Put("page.html");
    Put("page_002.html");
    auto free = FindFreePath(Folder(), "page.html");
    ASSERT_TRUE(free);
    EXPECT_EQ(free->path, PathOf("page_001.html"));
    EXPECT_EQ(free->counter, 1u);
}

TEST_F(FindFreePathTest, StartsAtTheGivenCounter) {
    auto free = FindFreePath(Folder(), "page.html", 5);
    ASSERT_TRUE(free);
    EXPECT_EQ(free->path, PathOf("page_005.html"));
}

TEST_F(FindFreePathTest, MissingFolderCountsAsFree) {
    auto free = FindFreePath(Folder() + "missing/", "page.html");
    ASSERT_TRUE(free);
    EXPECT_EQ(free->counter, 0u);
}

TEST_F(FindFreePathTest, ThousandthCandidateEndsInZeros) {
    Put("page");
    for (unsigned i = 1; i < 1000; ++i) Put(CandidatePath("", "page", i));
    auto free = FindFreePath(Folder(), "page");
    ASSERT_TRUE(free);
    EXPECT_EQ(free->path, PathOf("page_000"));
    EXPECT_EQ(free->counter, 1000u);
}

TEST_F(FindFreePathTest, NothingWhenAllAreTaken) {
    Put("page");
    for (unsigned i = 1; i <= 1000; ++i) Put(CandidatePath("", "page", i));
    EXPECT_FALSE(FindFreePath(Folder(), "page"));
}

// ---- WritePage --------------------------------------------------------------

struct LineEndCase {
    const char* name;
    std::string text;
    std::string file;
    friend void PrintTo(const LineEndCase& c, std::ostream* os) { *os << c.name; }
};

class WritePageLineEnds : public TestDir, public testing::WithParamInterface<LineEndCase> {};

TEST_P(WritePageLineEnds, WritesEveryByte) {
    ASSERT_EQ(WritePage(PathOf("p.html"), GetParam().text), WriteResult::Written);
    EXPECT_EQ(Read("p.html"), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WritePageLineEnds,
    testing::Values(
        LineEndCase{"Empty", "", ""},
        LineEndCase{"BareLf", "a\nb\n", "a\r\nb\r\n"},
        LineEndCase{"CrLfKept", "a\r\nb\r\n", "a\r\nb\r\n"},
        LineEndCase{"LoneCrKept", "a\rb", "a\rb"},
        LineEndCase{"LeadingAndDoubleLf", "\n\n", "\r\n\r\n"},
        LineEndCase{"CrCrLf", "\r\r\n", "\r\r\n"},
        LineEndCase{"LfCr", "\n\r", "\r\n\r"},
        LineEndCase{"NulKept", "a\0b\nc"s, "a\0b\r\nc"s}),
    [](const auto& info) { return std::string(info.param.name); });

// Reference conversion, byte by byte.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

class WritePageTest : public TestDir {};

TEST_F(WritePageTest, CrEndingOnePiecePairsWithLfStartingTheNext) {
    ASSERT_EQ(WritePage(PathOf("p.html"), MarkedPage("a\r", "\nb\n", "\nc")), WriteResult::Written);
    EXPECT_EQ(Read("p.html"), "a\r\nb\r\n\r\nc");
}

TEST_F(WritePageTest, MarkedPageIsWrittenWhole) {
    const std::string page = "<html><body>Hi</body></html>\n";
    ASSERT_EQ(WritePage(PathOf("p.html"), MarkPage(page, kUrl)), WriteResult::Written);
    EXPECT_EQ(Read("p.html"), "<html><body>" + WithCrLf(LinkMarker(kUrl)) + "Hi</body></html>\r\n");
}

TEST_F(WritePageTest, LargeTextAcrossBufferBoundaries) {
    // Mixed line ends over several buffer fills, and one run longer than the buffer.
    std::string text;
    unsigned seed = 7;
    const char pick[] = {'\n', '\r', 'a', '\0', '\x82', 'b'};
    for (int i = 0; i < 3000000; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += pick[(seed >> 16) % 6];
        if (i == 1500000) text.append(1100000, 'z').append("\r");
    }
    ASSERT_EQ(WritePage(PathOf("big.html"), text), WriteResult::Written);
    EXPECT_EQ(Read("big.html"), WithCrLf(text));
}

TEST_F(WritePageTest, NeverTruncatesAnExistingFile) {
    Put("p.html", "keep me");
    EXPECT_EQ(WritePage(PathOf("p.html"), "new"), WriteResult::NameTaken);
    EXPECT_EQ(Read("p.html"), "keep me");
}

TEST_F(WritePageTest, MissingFolderFails) {
    EXPECT_EQ(WritePage(Folder() + "missing/p.html", "x"), WriteResult::Failed);
}

TEST_F(WritePageTest, FolderThatRefusesNewFilesFails) {
    // /proc refuses new files even for root.
    EXPECT_EQ(WritePage("/proc/lc-test-page.html", "x"), WriteResult::Failed);
}

TEST_F(WritePageTest, ReadOnlyFolderFails) {
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_exec);
    if (access(dir_.c_str(), W_OK) == 0) GTEST_SKIP() << "running as root: permissions not enforced";
    EXPECT_EQ(WritePage(PathOf("p.html"), "x"), WriteResult::Failed);
    EXPECT_EQ(Count(), 0u);
}

// A file size limit makes the write fail part-way, as a full disk does.
TEST_F(WritePageTest, FailedWriteLeavesNoPartialFile) {
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const WriteResult result = WritePage(PathOf("p.html"), std::string(300000, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, WriteResult::Failed);
    EXPECT_FALSE(Exists("p.html"));
}

// ---- SavePage ---------------------------------------------------------------

class SavePageTest : public TestDir {};

TEST_F(SavePageTest, SameNameFourTimes) {
    for (const char* expected : {"index.html", "index_001.html", "index_002.html", "index_003.html"}) {
        const SaveResult r = SavePage(Folder(), "index.html", "page\n");
        ASSERT_EQ(r.error, SaveError::None);
        EXPECT_EQ(r.path, PathOf(expected));
        EXPECT_EQ(Read(expected), "page\r\n");
    }
}

TEST_F(SavePageTest, NameTakenAfterTheProbeMovesOn) {
    // A dangling link cannot be opened for reading, yet the name is taken.
    ASSERT_EQ(symlink(PathOf("target").c_str(), PathOf("page.html").c_str()), 0);
    const SaveResult r = SavePage(Folder(), "page.html", "x");
    ASSERT_EQ(r.error, SaveError::None);
    EXPECT_EQ(r.path, PathOf("page_001.html"));
    EXPECT_FALSE(Exists("target"));
}

TEST_F(SavePageTest, AllNamesTakenOverwritesNothing) {
    Put("page", "old");
    for (unsigned i = 1; i <= 1000; ++i) Put(CandidatePath("", "page", i), "old");
    EXPECT_EQ(SavePage(Folder(), "page", "new").error, SaveError::NoFreeName);
    EXPECT_EQ(Read("page"), "old");
    EXPECT_EQ(Read("page_000"), "old");
    EXPECT_EQ(Count(), 1001u);
}

TEST_F(SavePageTest, MissingFolderIsAWriteFailure) {
    EXPECT_EQ(SavePage(Folder() + "missing/", "p.html", "x").error, SaveError::WriteFailed);
}

}  // namespace
