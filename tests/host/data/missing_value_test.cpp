// The host's missing values: their exact bit patterns and their letters.
#include <bit>
#include <cmath>
#include <limits>

#include "data_fixture.h"

namespace datatest {
namespace {

using qmlp::host::missing_letter;
using qmlp::host::missing_value;

uint32_t high_word(double d) { return static_cast<uint32_t>(std::bit_cast<uint64_t>(d) >> 32); }

TEST(MissingValue, BitPatternsOfTheCodesTheProcedureUses) {
    EXPECT_EQ(std::bit_cast<uint64_t>(missing_value('.')), 0xFFFFD10000000000ull);
    EXPECT_EQ(high_word(missing_value('I')), 0xFFFFB600u);
    EXPECT_EQ(high_word(missing_value('M')), 0xFFFFB200u);
    EXPECT_EQ(high_word(missing_value('_')), 0xFFFFD200u);  // stored as '-'
    EXPECT_EQ(std::bit_cast<uint64_t>(missing_value('a')), std::bit_cast<uint64_t>(missing_value('.')));
    EXPECT_EQ(std::bit_cast<uint64_t>(missing_value('?')), std::bit_cast<uint64_t>(missing_value('.')));
    EXPECT_TRUE(std::isnan(missing_value('Z')));
}

TEST(MissingValue, LettersRoundTripAndOtherNaNsAreOrdinary) {
    for (char c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(missing_letter(missing_value(c)), c);
    EXPECT_EQ(missing_letter(missing_value('_')), '_');
    EXPECT_EQ(missing_letter(missing_value('.')), '.');
    EXPECT_EQ(missing_letter(std::numeric_limits<double>::quiet_NaN()), '.');
    EXPECT_EQ(missing_letter(std::numeric_limits<double>::infinity()), '.');
    // A missing pattern with stray low bits is still missing, but no letter.
    EXPECT_EQ(missing_letter(std::bit_cast<double>(0xFFFFB60000000001ull)), '.');
    EXPECT_EQ(missing_letter(0.0), 0);
    EXPECT_EQ(missing_letter(-1e308), 0);
    EXPECT_EQ(missing_letter(std::numeric_limits<double>::denorm_min()), 0);
}

}  // namespace
}  // namespace datatest
