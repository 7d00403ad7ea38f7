#include <gtest/gtest.h>

#include "capture/browser_query.h"

namespace {

using namespace std::string_literals;

struct ReplyCase {
    const char* name;
    std::string reply;
    std::string address;
    friend void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }
};

class UrlFromReplyTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(UrlFromReplyTest, TakesTheFirstQuotedField) {
    EXPECT_EQ(UrlFromReply(GetParam().reply), GetParam().address);
}

// "日本語" and "表" (second byte 0x5C) in Shift-JIS.
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kHyou = "\x95\x5C";

INSTANTIATE_TEST_SUITE_P(
    UrlFromReply, UrlFromReplyTest,
    testing::Values(
        ReplyCase{"AddressThenMore", "\"http://example.com/a.html\",\"Title\"", "http://example.com/a.html"},
        ReplyCase{"OnlyTheAddress", "\"http://example.com/\"", "http://example.com/"},
        ReplyCase{"MoreQuotesIgnored", "\"http://a/\",\"b\",\"c\"", "http://a/"},
        ReplyCase{"TwoLeadingQuotes", "\"\"http://a/\",\"t\"", ""},
        ReplyCase{"FirstCharacterNotAQuote", "xhttp://a/\"rest", "http://a/"},
        ReplyCase{"FirstCharacterIsAnyByte", "\x81http://a/\"", "http://a/"},
        ReplyCase{"ShiftJisKept", "\"http://example.com/" + kNihongo + "/" + kHyou + ".html\",\"" + kHyou + "\"",
                  "http://example.com/" + kNihongo + "/" + kHyou + ".html"},
        ReplyCase{"BackslashSecondByteBeforeTheQuote", "\"" + kHyou + "\"", kHyou},
        ReplyCase{"NoClosingQuote", "\"http://a/", ""},
        ReplyCase{"NoClosingQuoteAfterTheFirstByte", "\"", ""},
        ReplyCase{"OneCharacter", "x", ""},
        ReplyCase{"Empty", "", ""},
        ReplyCase{"TwoQuotes", "\"\"", ""},
        ReplyCase{"SpacesKept", "\" a b \"", " a b "}),
    [](const testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

TEST(UrlFromReplyData, NoDataIsAnEmptyReply) {
    EXPECT_EQ(ReplyFromData(std::nullopt), "");
}

TEST(UrlFromReplyData, EndsAtTheFirstNul) {
    EXPECT_EQ(ReplyFromData("\"http://a/\",\"t\"\0"s), "\"http://a/\",\"t\"");
    EXPECT_EQ(ReplyFromData("\"http://a/\0b\",\"t\"\0"s), "\"http://a/");
    EXPECT_EQ(ReplyFromData("\"http://a/\",\"t\""s), "\"http://a/\",\"t\"");
}

TEST(UrlFromReplyData, LeadingNulGivesAnEmptyReply) {
    EXPECT_EQ(ReplyFromData("\0\"http://a/\""s), "");
    EXPECT_EQ(ReplyFromData(""s), "");
}

TEST(UrlFromReplyData, NulInsideTheAddressCutsItBeforeTheScan) {
    // The closing quote after the NUL is not part of the reply.
    EXPECT_EQ(UrlFromReply(ReplyFromData("\"http://a/\0\",\"t\""s)), "");
    EXPECT_EQ(UrlFromReply(ReplyFromData("\"http://a/\"\0junk"s)), "http://a/");
}

TEST(UrlFromReplyData, ShiftJisBytesKept) {
    const std::string data = "\"" + kHyou + kNihongo + "\"\0"s;
    EXPECT_EQ(UrlFromReply(ReplyFromData(data)), kHyou + kNihongo);
}

}  // namespace
