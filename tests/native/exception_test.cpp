#include "platform/exception.h"

#include <gtest/gtest.h>

namespace {

struct ReportCase {
    const char* name;
    std::string message;
    std::string shown;
    friend void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }
};

class ReportTextTest : public testing::TestWithParam<ReportCase> {};

TEST_P(ReportTextTest, AddsFullStopAfterCharactersSortingAfterIt) {
    EXPECT_EQ(platform::ReportText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportTextTest,
    testing::Values(ReportCase{"Empty", "", ""},
                    ReportCase{"Letter", "Invalid data type", "Invalid data type."},
                    ReportCase{"FullStop", "Done.", "Done."},
                    ReportCase{"Exclamation", "Stop!", "Stop!"},
                    ReportCase{"Blank", "a ", "a "},
                    ReportCase{"Slash", "c:/", "c:/."},
                    ReportCase{"DoubleByteLast", "取得できません", "取得できません."},
                    ReportCase{"DoubleByteFullStop", "終了。", "終了。."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Exception, CarriesItsMessage) {
    const platform::Exception error("Invalid data type");
    EXPECT_EQ(error.Message(), "Invalid data type");
    EXPECT_STREQ(error.what(), "Invalid data type");
}

}  // namespace
