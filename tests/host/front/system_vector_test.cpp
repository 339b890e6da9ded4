// The system and step vectors: formatting into fields, settings, portable
// integers, end of step.
#include <gtest/gtest.h>

#include <cstring>

#include "front/step_vector.h"
#include "front/system_vector.h"
#include "front_test_support.h"

using namespace qmlp::front;

namespace {

std::string field(int (*fmt)(int64_t, int, char*), int64_t v, int width) {
    char buf[64];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(fmt(v, width, buf), width);
    EXPECT_EQ(buf[width], '\0');
    return buf;
}

TEST(SystemVector, IntegersAreRightAlignedAndStarredWhenTheyDoNotFit) {
    EXPECT_EQ(field(format_int, 42, 6), "    42");
    EXPECT_EQ(field(format_int, -7, 3), " -7");
    EXPECT_EQ(field(format_int, 123456, 6), "123456");
    EXPECT_EQ(field(format_int, 1234567, 6), "******");
    EXPECT_EQ(field(format_int, 5, 15), "              5");
}

TEST(SystemVector, NamesAreLeftAlignedAndBlankPadded) {
    char buf[40];
    EXPECT_EQ(format_name("_OBS%-i_", 12, 10, buf), 10);
    EXPECT_STREQ(buf, "_OBS12_   ");
    format_name("R%i", 7, 4, buf);
    EXPECT_STREQ(buf, "R7  ");
    format_name("_C%-8i_ %% %i", 3, 12, buf);  // only the first directive is a number
    EXPECT_STREQ(buf, "_C3_ % %i   ");
    format_name("LONGNAME%i", 123, 8, buf);  // cut to the width
    EXPECT_STREQ(buf, "LONGNAME");
}

TEST(SystemVector, DoublesUseTheBestFormatInTheField) {
    char buf[40];
    EXPECT_EQ(format_double(1.5, 8, buf), 8);
    EXPECT_EQ(std::strlen(buf), 8u);
    EXPECT_EQ(std::string(buf).find_first_not_of(' '), 5u) << buf;  // right-aligned "1.5"
    EXPECT_NE(std::string(buf).find("1.5"), std::string::npos);
}

TEST(SystemVector, PortableIntegersAreBigEndianAndRoundTrip) {
    const uint32_t p = int4_to_portable(0x01020304);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&p);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[3], 4);
    for (int32_t v : {0, 1, -1, 0x7FFFFFFF, INT32_MIN, 123456789})
        EXPECT_EQ(int4_from_portable(int4_to_portable(v)), v);
}

TEST(SystemVector, SettingsAreLookedUpCaseInsensitively) {
    set_host_settings({{"debug", "syn,sem"}, {"$GENERIC", "0"}});
    const TymSystemVector* s = system_vector();
    char buf[4];
    EXPECT_EQ(s->setting("DEBUG", buf, sizeof buf), 7);
    EXPECT_STREQ(buf, "syn");
    EXPECT_EQ(s->setting("$generic", buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "0");
    EXPECT_EQ(s->setting("OTHER", buf, sizeof buf), -1);
    EXPECT_EQ(s->setting(nullptr, buf, sizeof buf), -1);
    set_host_settings({});
    EXPECT_EQ(s->setting("DEBUG", buf, sizeof buf), -1);
}

TEST(SystemVector, ClockIsMonotonicMilliseconds) {
    const TymSystemVector* s = system_vector();
    const int64_t a = s->clock_ms();
    const int64_t b = s->clock_ms();
    EXPECT_LE(a, b);
    EXPECT_LT(b - a, 1000);
}

class StepVectorTest : public fronttest::FrontTest {};

TEST_F(StepVectorTest, EndStepUnwindsWithTheEndCode) {
    try {
        step_vector()->end_step(1020);
        FAIL() << "end_step returned";
    } catch (const StepEnded& e) {
        EXPECT_EQ(e.end_code, 1020);
    }
}

TEST_F(StepVectorTest, ReportsNameTheFailedStatus) {
    EXPECT_EQ(step_vector()->status_report(0, -17), 0);
    EXPECT_EQ(step_vector()->io_error_report(0, 25), 0);
    ASSERT_EQ(count_lines_starting("ERROR: "), 2);
    EXPECT_NE(log[0].find("-17"), std::string::npos);
    EXPECT_NE(log[1].find("25"), std::string::npos);
}

}  // namespace
