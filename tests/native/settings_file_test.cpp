#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "tests/native/test_dir.h"

namespace {

using namespace std::string_literals;

const std::string kExample = "c:\\\r\nc:\\\r\n843\r\n332\r\n";

// Values held before reading: a position that does not scan keeps them.
constexpr std::int32_t kOldLeft = 7;
constexpr std::int32_t kOldTop = 9;

struct ReadCase {
    const char* name;
    std::string file;
    std::string folder1;
    std::string folder2;
    std::int32_t left;
    std::int32_t top;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class ReadSettingsTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadSettingsTest, ReadsAsTheTextModeReader) {
    Settings s{"old1\\", "old2\\", kOldLeft, kOldTop};
    ReadSettings(GetParam().file, s);
    EXPECT_EQ(s.folder1, GetParam().folder1);
    EXPECT_EQ(s.folder2, GetParam().folder2);
    EXPECT_EQ(s.left, GetParam().left);
    EXPECT_EQ(s.top, GetParam().top);
}

const std::string kLong = "c:\\" + std::string(996, 'x');  // 999 bytes, no line end

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadSettingsTest,
    testing::Values(
        ReadCase{"Example", kExample, "c:\\", "c:\\", 843, 332},
        ReadCase{"LfOnly", "c:\\\nc:\\\n843\n332\n", "c:\\", "c:\\", 843, 332},
        ReadCase{"Negative", "a\\\nb\\\n-5\n-12\n", "a\\", "b\\", -5, -12},
        ReadCase{"OneLine", "a\\\nb\\\n843 332\n", "a\\", "b\\", 843, 332},
        ReadCase{"BlankLinesBetween", "a\\\nb\\\n\n843\n\n\n332", "a\\", "b\\", 843, 332},
        ReadCase{"SpacesAndPlus", "a\\\nb\\\n  +12\t-3", "a\\", "b\\", 12, -3},
        ReadCase{"BrokenThirdLine", "a\\\nb\\\nabc\n332\n", "a\\", "b\\", kOldLeft, kOldTop},
        ReadCase{"BrokenFourthLine", "a\\\nb\\\n843\nxyz\n", "a\\", "b\\", 843, kOldTop},
        ReadCase{"SignWithoutDigits", "a\\\nb\\\n-\n332\n", "a\\", "b\\", kOldLeft, kOldTop},
        ReadCase{"NumberRunsIntoText", "a\\\nb\\\n84x3\n", "a\\", "b\\", 84, kOldTop},
        ReadCase{"NoPosition", "a\\\nb\\\n", "a\\", "b\\", kOldLeft, kOldTop},
        ReadCase{"NoClosingBackslash", "c:\\pages\\old\r\nc:\\\r\n1\r\n2\r\n", "c:\\pages\\", "c:\\", 1, 2},
        ReadCase{"NoBackslashAtAll", "pages\r\nc:\\\r\n1\r\n2\r\n", "", "c:\\", 1, 2},
        ReadCase{"ShiftJisSecondByte", "c:\\\x95\x5C\r\nc:\\\x95\x5C\\\r\n", "c:\\", "c:\\\x95\x5C\\", kOldLeft,
                 kOldTop},
        ReadCase{"CrDroppedAnywhere", "c:\\\r\r\nd:\r\\\r\n1\r\n\r2", "c:\\", "d:\\", 1, 2},
        ReadCase{"CrInsideNumber", "a\\\nb\\\n1\r2\n", "a\\", "b\\", 12, kOldTop},
        ReadCase{"NulEndsTheFolder", "c:\\a\\\0b\\\nd:\\\n"s, "c:\\a\\", "d:\\", kOldLeft, kOldTop},
        ReadCase{"LongLineSplits", kLong + "\\y\\\r\nd:\\\r\n1\r\n2\r\n", "c:\\", "\\y\\", kOldLeft, kOldTop},
        ReadCase{"LongLineExactly", kLong + "\r\nd:\\\r\n1\r\n2\r\n", "c:\\", "", kOldLeft, kOldTop},
        ReadCase{"Empty", "", "", "", kOldLeft, kOldTop},
        ReadCase{"OneLineOnly", "c:\\\r\n", "c:\\", "", kOldLeft, kOldTop},
        ReadCase{"NoLineEnd", "c:\\", "c:\\", "", kOldLeft, kOldTop}),
    [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
    const char* name;
    Settings settings;
    std::string file;
    friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class SettingsTextTest : public testing::TestWithParam<WriteCase> {};

TEST_P(SettingsTextTest, WritesCrLfLines) {
    EXPECT_EQ(SettingsText(GetParam().settings), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsTextTest,
    testing::Values(WriteCase{"Example", {"c:\\", "c:\\", 843, 332}, kExample},
                    WriteCase{"Negative", {"a\\", "", -1024, -2147483647 - 1}, "a\\\r\n\r\n-1024\r\n-2147483648\r\n"},
                    WriteCase{"ShiftJis", {"c:\\\x95\x5C\\", "d:\\", 0, 0}, "c:\\\x95\x5C\\\r\nd:\\\r\n0\r\n0\r\n"},
                    WriteCase{"LfInFolder", {"a\n\\", "b\\", 1, 2}, "a\r\n\\\r\nb\\\r\n1\r\n2\r\n"},
                    WriteCase{"NulInFolder", {"a\\\0b\\"s, "c\\", 1, 2}, "a\\\r\nc\\\r\n1\r\n2\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsText, ReadsBackWhatItWrote) {
    const Settings written{"c:\\\x95\x5C\\x\\", "d:\\", -20, 4000};
    Settings read;
    ReadSettings(SettingsText(written), read);
    EXPECT_EQ(read.folder1, written.folder1);
    EXPECT_EQ(read.folder2, written.folder2);
    EXPECT_EQ(read.left, written.left);
    EXPECT_EQ(read.top, written.top);
}

TEST(SettingsPath, JoinsWithABackslash) {
    EXPECT_EQ(SettingsPath("c:\\work"), "c:\\work\\Leafcatch.ini");
    EXPECT_EQ(SettingsPath("c:\\"), "c:\\\\Leafcatch.ini");
}

class SettingsFileTest : public TestDir {
protected:
    std::string Ini() const { return PathOf("Leafcatch.ini"); }
};

TEST_F(SettingsFileTest, MissingFileChangesNothing) {
    Settings s{"a\\", "b\\", 1, 2};
    EXPECT_FALSE(LoadSettingsFile(Ini(), s));
    EXPECT_EQ(s.folder1, "a\\");
    EXPECT_EQ(s.left, 1);
}

TEST_F(SettingsFileTest, LoadsAndSavesTheExampleByteForByte) {
    Put("Leafcatch.ini", kExample);
    Settings s;
    ASSERT_TRUE(LoadSettingsFile(Ini(), s));
    EXPECT_EQ(s.folder1, "c:\\");
    EXPECT_EQ(s.top, 332);
    ASSERT_TRUE(SaveSettingsFile(Ini(), s));
    EXPECT_EQ(Read("Leafcatch.ini"), kExample);
    EXPECT_EQ(Count(), 1u);  // no temporary file left
}

TEST_F(SettingsFileTest, LongFileIsReadThroughTheBuffer) {
    Put("Leafcatch.ini", "a\\\nb\\\n" + std::string(200000, ' ') + "5 6");
    Settings s;
    ASSERT_TRUE(LoadSettingsFile(Ini(), s));
    EXPECT_EQ(s.left, 5);
    EXPECT_EQ(s.top, 6);
}

TEST_F(SettingsFileTest, MissingFolderWritesNothing) {
    EXPECT_FALSE(SaveSettingsFile(PathOf("missing/Leafcatch.ini"), Settings{}));
    EXPECT_EQ(Count(), 0u);
}

TEST_F(SettingsFileTest, FailedWriteKeepsTheFormerFile) {
    // The new file cannot be made beside the old one.
    Put("Leafcatch.ini", kExample);
    std::filesystem::create_directory(dir_ / "Leafcatch.ini.new");
    EXPECT_FALSE(SaveSettingsFile(Ini(), Settings{"x\\", "y\\", 1, 2}));
    EXPECT_EQ(Read("Leafcatch.ini"), kExample);
}

TEST_F(SettingsFileTest, ReadOnlyFolderKeepsTheFormerFile) {
    Put("Leafcatch.ini", kExample);
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (access(dir_.c_str(), W_OK) == 0) GTEST_SKIP() << "running as root: permissions not enforced";
    EXPECT_FALSE(SaveSettingsFile(Ini(), Settings{"x\\", "y\\", 1, 2}));
    EXPECT_EQ(Read("Leafcatch.ini"), kExample);
}

TEST_F(SettingsFileTest, FullDiskKeepsTheFormerFile) {
    Put("Leafcatch.ini", kExample);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 10;  // fewer bytes than the new file needs
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = SaveSettingsFile(Ini(), Settings{"c:\\longer folder\\", "y\\", 1, 2});
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(Read("Leafcatch.ini"), kExample);
    EXPECT_EQ(Count(), 1u);
}

}  // namespace
