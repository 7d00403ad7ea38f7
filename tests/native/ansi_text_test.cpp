#include <gtest/gtest.h>

#include "app/folder_part.h"
#include "platform/ansi_text.h"

namespace {

constexpr auto npos = std::string_view::npos;

struct LastCharCase {
    const char* name;
    std::string_view text;
    char c;
    std::size_t expected;
    friend void PrintTo(const LastCharCase& c, std::ostream* os) { *os << c.name; }
};

class LastCharPosTest : public testing::TestWithParam<LastCharCase> {};

TEST_P(LastCharPosTest, FindsLastRealByte) {
    EXPECT_EQ(platform::LastCharPos(GetParam().text, GetParam().c), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LastCharPosTest,
    testing::Values(
        LastCharCase{"Empty", "", '\\', npos},
        LastCharCase{"None", "abc", '\\', npos},
        LastCharCase{"Single", "\\", '\\', 0},
        LastCharCase{"Last", "c:\\a\\b", '\\', 4},
        // 0x95 0x5C is one character; its second byte is no backslash.
        LastCharCase{"SecondByteSkipped", "c:\\\x95\x5C", '\\', 2},
        LastCharCase{"SecondByteThenReal", "c:\\\x95\x5C\\", '\\', 5},
        // Pairs are found from the start: 0x95 0x95 is one character, so the
        // following 0x5C is a real backslash.
        LastCharCase{"PairingFromStart", "\x95\x95\x5C", '\\', 2},
        LastCharCase{"LeadByteAtEnd", "a\\\x95", '\\', 1},
        LastCharCase{"HighRangeLead", "\xE0\x5C", '\\', npos},
        LastCharCase{"HalfWidthKanaIsSingle", "\xB1\x5C", '\\', 1},
        LastCharCase{"Slash", "http://h/p/q", '/', 10}),
    [](const auto& info) { return std::string(info.param.name); });

struct FolderCase {
    const char* name;
    std::string_view text;
    std::string_view expected;
    friend void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }
};

class FolderPartTest : public testing::TestWithParam<FolderCase> {};

TEST_P(FolderPartTest, CutsAfterLastBackslash) {
    EXPECT_EQ(FolderPart(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderPartTest,
    testing::Values(
        FolderCase{"Empty", "", ""},
        FolderCase{"NoBackslash", "pages", ""},
        FolderCase{"Folder", "c:\\pages\\", "c:\\pages\\"},
        FolderCase{"FolderWithoutClosingBackslash", "c:\\pages\\old", "c:\\pages\\"},
        FolderCase{"LineEnd", "c:\\\n", "c:\\"},
        FolderCase{"ShiftJisSecondByte", "c:\\\x95\x5C", "c:\\"},
        FolderCase{"ShiftJisThenBackslash", "c:\\\x95\x5C\\", "c:\\\x95\x5C\\"},
        FolderCase{"Unc", "\\\\server\\share\\f.html", "\\\\server\\share\\"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AsciiCase, ComparesOnlyAsciiLettersWithoutCase) {
    EXPECT_TRUE(platform::EqualsIgnoringAsciiCase("<BoDy", "<body"));
    EXPECT_FALSE(platform::EqualsIgnoringAsciiCase("<bod", "<body"));
    EXPECT_FALSE(platform::EqualsIgnoringAsciiCase("\x82\x60", "\x82\x81"));
}

TEST(ExecCharset, LiteralsAreShiftJis) {
    EXPECT_EQ(std::string_view("取得できません"),
              "\x8E\xE6\x93\xBE\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1");
}

}  // namespace
