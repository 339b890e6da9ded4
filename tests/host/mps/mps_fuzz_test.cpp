// mps_fuzz_test.cpp -- random damage to valid MPS texts never crashes or
// hangs the reader, and whatever it accepts writes a data set that reads
// back consistently.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "mps_test_support.h"

namespace qmlp::host::mps::testing {
namespace {

// Seeds: a free-form and a fixed-form text that use every section, and
// the files of the corpus folder.
std::vector<std::string> seeds() {
    std::vector<std::string> texts = {
        "NAME FUZZ\nOBJSENSE\n    MAX\nROWS\n N COST\n L LIM1\n G LIM2\n E MYEQN\n N SPARE\nCOLUMNS\n"
        " X1 COST 1 LIM1 1\n X1 LIM2 1\n M1 'MARKER' 'INTORG'\n X2 COST 2 LIM1 1\n X2 MYEQN -1\n"
        " M2 'MARKER' 'INTEND'\n X3 COST -1 MYEQN 1\n X4 SPARE 3 LIM2 1e-3\nRHS\n RHS LIM1 4 LIM2 1\n"
        " RHS MYEQN 7 COST -2\nRANGES\n RNG LIM1 2.5 MYEQN -1\nBOUNDS\n UP BND X1 4\n LO BND X2 -1\n"
        " UP BND X2 1\n MI BND X3\n BV BND X4\nENDATA\n",
        "NAME          FIXED\nROWS\n" + fixed_line({"N", "OBJ"}) + fixed_line({"L", "ROW 1"}) +
            fixed_line({"G", "ROW 2"}) + "COLUMNS\n" + fixed_line({"", "COL A", "OBJ", "1.5", "ROW 1", "2."}) +
            fixed_line({"", "COL A", "ROW 2", "1."}) + fixed_line({"", "MARKER", "'MARKER'", "", "'INTORG'"}) +
            fixed_line({"", "COL B", "OBJ", "-1.", "ROW 2", "-3."}) +
            fixed_line({"", "MARKER", "'MARKER'", "", "'INTEND'"}) + "RHS\n" +
            fixed_line({"", "", "ROW 1", "10.", "ROW 2", "1."}) + "RANGES\n" + fixed_line({"", "RNG", "ROW 1", "4."}) +
            "BOUNDS\n" + fixed_line({"UP", "BND", "COL A", "8."}) + fixed_line({"LI", "BND", "COL B", "1."}) +
            fixed_line({"UI", "BND", "COL B", "1e30"}) + "ENDATA\n",
    };
    const std::filesystem::path corpus = std::filesystem::path(QMLP_SOURCE_DIR) / "tests/host/mps/corpus";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(corpus, ec)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        texts.push_back(text.str());
    }
    return texts;
}

// Pieces that steer mutations towards the reader's decisions.
const char* const kTokens[] = {" ",    "\n",      "\t",   "*",      "'MARKER'", "'INTORG'", "'INTEND'",
                               "ROWS", "COLUMNS", "RHS",  "RANGES", "BOUNDS",   "ENDATA",   "OBJSENSE",
                               "NAME", " N ",     " E ",  " UP ",   " SC ",     " FR ",     " BV ",
                               "1e30", "-1e30",   "nan",  "inf",    "1e999",    "-0",       "+",
                               "1.D2", "\r\n",    "\x80", "\0",     ",",        "\""};

std::string mutate(std::string text, std::mt19937& rng) {
    auto pick = [&](std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const int edits = 1 + static_cast<int>(pick(4));
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = pick(text.size() + 1);
        switch (pick(7)) {
            case 0:  // flip a byte
                if (!text.empty()) text[pick(text.size())] = static_cast<char>(pick(256));
                break;
            case 1:  // delete a stretch
                text.erase(std::min(at, text.size()), pick(12));
                break;
            case 2: {  // insert a token
                std::string token = kTokens[pick(std::size(kTokens))];
                if (token.empty()) token.assign(1, '\0');
                text.insert(std::min(at, text.size()), token);
                break;
            }
            case 3: {  // duplicate a line
                std::size_t begin = text.rfind('\n', at == 0 ? 0 : at - 1);
                begin = begin == std::string::npos ? 0 : begin + 1;
                std::size_t end = text.find('\n', begin);
                if (end != std::string::npos) text.insert(begin, text.substr(begin, end - begin + 1));
                break;
            }
            case 4:  // cut the text short
                text.resize(at);
                break;
            case 5: {  // swap two lines' positions by moving a line elsewhere
                std::size_t begin = text.find('\n', at);
                if (begin == std::string::npos) break;
                std::size_t end = text.find('\n', begin + 1);
                if (end == std::string::npos) break;
                std::string line = text.substr(begin + 1, end - begin);
                text.erase(begin + 1, end - begin);
                text.insert(std::min(pick(text.size() + 1), text.size()), line);
                break;
            }
            default:  // a very long line
                text.insert(std::min(at, text.size()), std::string(pick(3) == 0 ? kMaxLineLength + 10 : 300, 'x'));
                break;
        }
    }
    return text;
}

TEST(MpsFuzz, RandomDamageNeverCrashesAndAcceptedTextsWriteConsistently) {
    const std::vector<std::string> kSeeds = seeds();
    for (const std::string& seed : kSeeds) {
        Parsed clean = parse_text(seed);
        ASSERT_TRUE(clean.ok) << clean.report.error.line << ": " << clean.report.error.text;
    }
    std::mt19937 rng(20240611);
    constexpr int kRounds = 3000;
    int accepted = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        const std::string text = mutate(kSeeds[round % kSeeds.size()], rng);
        Parsed p = parse_text(text);
        if (!p.ok) {
            // A fault names a line of the text (or the end of it).
            EXPECT_GE(p.report.error.line, 1) << text;
            EXPECT_FALSE(p.report.error.text.empty()) << text;
            continue;
        }
        ++accepted;
        Layout layout = read_layout(write_text(p.model));
        ASSERT_EQ(layout.error, "") << text;
        Counts counts = count_model(p.model, false);
        long long nonzeros = 0;
        for (const auto& [name, column] : layout.columns)
            nonzeros += static_cast<long long>(column.coefficients.size());
        EXPECT_EQ(nonzeros, counts.nonzeros) << text;
        EXPECT_EQ(layout.column_order.size(), p.model.columns.size()) << text;
    }
    EXPECT_GT(accepted, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

}  // namespace
}  // namespace qmlp::host::mps::testing
