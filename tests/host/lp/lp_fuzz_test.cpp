// lp_fuzz_test.cpp -- random damage to valid LP texts never crashes or hangs
// the reader; whatever it accepts writes a data set that reads back, and an
// LP text of it that reads back to the same counts.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <sstream>

#include "lp/problem_text_writers.h"
#include "lp_test_support.h"

namespace qmlp::host::lp::testing {
namespace {

const char* const kSeeds[] = {
    "\\ seed one\nMaximize\n profit: 3 x + 2y - z + 4\nSubject To\n c1: x + y\n  + z <= 10\n"
    " c2: -2 <= x - y <= 5\n c3: x + 3 >= 1\n 7 >= y + z >= 1\n c5: x + x + y = 4\n c6: y - z >= -inf\n"
    "Bounds\n x <= 8\n -1 <= y <= 6\n z free\n w = 2.5\n 1 <= b\nGenerals\n y\nBinaries\n b\n"
    "SOS\n pick: S1:: y:3 x:1 z:2\nEnd\n",
    "min\n obj: 2a + 3 e1 + 3e1 b\nst\n R1: a >= 1\n a + e1 >= 2\n y <= 3\nbounds\n a >= -inf\n"
    " -inf <= b <= 1e30\ngen\n a b\nend\n",
};

// Pieces that steer mutations towards the reader's decisions.
const char* const kTokens[] = {
    " ",   "\n",   "\\",   ":",     "::", "<=",   ">=",   "=",   "<",    ">",      "+",   "-",
    "inf", "free", "1e30", "1e999", "2x", "S1::", "S2",   "End", "st",   "Bounds", "Bin", "General",
    "SOS", "[",    "^",    ".5",    "e",  "1e",   "\x80", "\t",  "\r\n", "semi",   "max", "R1:"};

std::string mutate(std::string text, std::mt19937& rng) {
    auto pick = [&](std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const int edits = 1 + static_cast<int>(pick(4));
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = std::min(pick(text.size() + 1), text.size());
        switch (pick(5)) {
            case 0:
                if (!text.empty()) text[pick(text.size())] = static_cast<char>(pick(256));
                break;
            case 1: text.erase(at, pick(10)); break;
            case 2: text.insert(at, kTokens[pick(std::size(kTokens))]); break;
            case 3: {  // duplicate a line
                std::size_t begin = text.rfind('\n', at == 0 ? 0 : at - 1);
                begin = begin == std::string::npos ? 0 : begin + 1;
                const std::size_t end = text.find('\n', begin);
                if (end != std::string::npos) text.insert(begin, text.substr(begin, end - begin + 1));
                break;
            }
            default: text.resize(at); break;
        }
    }
    return text;
}

TEST(LpFuzz, RandomDamageNeverCrashesAndAcceptedTextsRoundTrip) {
    for (const char* seed : kSeeds) ASSERT_TRUE(parse_lp(seed).ok) << seed;
    std::mt19937 rng(20261208);
    constexpr int kRounds = 3000;
    int accepted = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        const std::string text = mutate(kSeeds[round % std::size(kSeeds)], rng);
        ParsedLp p = parse_lp(text);
        if (!p.ok) {
            EXPECT_FALSE(p.report.error.text.empty()) << text;
            continue;
        }
        ++accepted;
        const Layout layout = read_layout(mps::testing::write_text(p.model));
        ASSERT_EQ(layout.error, "") << text;
        EXPECT_EQ(layout.column_order.size(), p.model.columns.size()) << text;
        // The LP text of what was accepted reads back to the same shape.
        std::ostringstream again;
        TextWriteResult result;
        if (!write_lp_text(p.model, again, result)) continue;  // refused with a reason
        ParsedLp back = parse_lp(again.str());
        ASSERT_TRUE(back.ok) << back.report.error.line << ": " << back.report.error.text << "\n" << again.str();
        EXPECT_EQ(back.model.rows.size(), p.model.rows.size()) << again.str();
        EXPECT_EQ(back.model.columns.size(), p.model.columns.size()) << again.str();
        EXPECT_EQ(count_model(back.model, false).nonzeros, count_model(p.model, false).nonzeros) << again.str();
        EXPECT_EQ(back.model.sos_sets.size(), p.model.sos_sets.size()) << again.str();
    }
    EXPECT_GT(accepted, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

}  // namespace
}  // namespace qmlp::host::lp::testing
