// Randomised malformed data sets for both readers: every run ends with one
// of the reader's result codes, never a crash or a hang, and gives back
// every block and utility file it took.  Seeds come from the corpus in
// tests/corpus/readers.
#include <algorithm>
#include <random>
#include <sstream>

#include "reader_fixture.h"

namespace {

using namespace tymlp;
using readertest::ReaderTest;
namespace fs = std::filesystem;

constexpr int kRunsPerSeed = 60;
constexpr unsigned kSeed = 20261207;

const char* const kTokens[] = {
    "",         ".",       "LE",
    "GE",       "EQ",      "MAX",
    "MIN",      "UPPERBD", "LOWERBD",
    "BASIC",    "INT",     "BINARY",
    "SOSLE",    "SOSEQ",   "CHARGE",
    "FIXED",    "UNRS",    "FREE",
    "RHS",      "RHSSEN",  "RANGE",
    "PRICESEN", "*",       "UP",
    "MAXI",     "1e308",   "-1e308",
    "0",        "1",       "2",
    "-3.5",     "x",       "_ID_",
    "obj",      "c",       "_UPPER_",
    "s1",       "1e-300",  "12345678901234567890",
};

using Table = std::vector<std::vector<std::string>>;

Table parse(const std::string& text) {
    Table t;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::string field;
        std::istringstream ls(line);
        while (std::getline(ls, field, ',')) fields.push_back(field);
        if (!line.empty() && line.back() == ',') fields.emplace_back();
        t.push_back(fields);
    }
    return t;
}

std::string render(const Table& t) {
    std::string out;
    for (const auto& row : t) {
        for (size_t k = 0; k < row.size(); ++k) out += (k > 0 ? "," : "") + row[k];
        out += "\n";
    }
    return out;
}

std::string random_token(std::mt19937& rng) {
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kTokens)) + 2);
    const int k = pick(rng);
    if (k < static_cast<int>(std::size(kTokens))) return kTokens[k];
    if (k == static_cast<int>(std::size(kTokens))) return std::string(80, 'n');  // a long name
    std::string s;
    std::uniform_int_distribution<int> ch(33, 126);
    for (int i = 0; i < 6; ++i) {
        const char c = static_cast<char>(ch(rng));
        s += (c == ',' || c == '"') ? 'q' : c;
    }
    return s;
}

// One to four random edits of the data rows (the header is kept most of the
// time so that most runs reach the readers' own checks).
Table mutate(Table t, std::mt19937& rng) {
    std::uniform_int_distribution<int> edits(1, 4);
    const int n = edits(rng);
    for (int e = 0; e < n && !t.empty(); ++e) {
        std::uniform_int_distribution<size_t> row_pick(t.size() > 1 ? 1 : 0, t.size() - 1);
        const size_t r = row_pick(rng);
        std::uniform_int_distribution<int> kind(0, 9);
        switch (kind(rng)) {
            case 0: t.erase(t.begin() + static_cast<long>(r)); break;
            case 1: t.insert(t.begin() + static_cast<long>(r), t[r]); break;
            case 2: std::swap(t[r], t[row_pick(rng)]); break;
            case 3: t.insert(t.begin() + static_cast<long>(r), std::vector<std::string>(t[0].size(), "")); break;
            case 4: {  // a header name
                std::uniform_int_distribution<size_t> f(0, t[0].size() - 1);
                t[0][f(rng)] = random_token(rng);
                break;
            }
            default: {
                if (t[r].empty()) break;
                std::uniform_int_distribution<size_t> f(0, t[r].size() - 1);
                t[r][f(rng)] = random_token(rng);
                break;
            }
        }
    }
    return t;
}

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class ReaderFuzz : public ReaderTest {};

TEST_F(ReaderFuzz, MalformedDataSetsNeverCrashAndReleaseEverything) {
    const fs::path corpus = fs::path(QMLP_SOURCE_DIR) / "tests" / "corpus" / "readers";
    std::vector<fs::path> seeds;
    for (const auto& e : fs::directory_iterator(corpus))
        if (e.path().extension() == ".csv") seeds.push_back(e.path());
    std::sort(seeds.begin(), seeds.end());
    ASSERT_FALSE(seeds.empty());
    std::mt19937 rng(kSeed);
    int runs = 0;
    for (const fs::path& seed : seeds) {
        const Table base = parse(read_file(seed));
        for (int k = 0; k < kRunsPerSeed; ++k) {
            const std::string text = k == 0 ? render(base) : render(mutate(base, rng));
            for (int layout = 0; layout < 2; ++layout) {
                SCOPED_TRACE(seed.filename().string() + (layout == 0 ? " dense" : " sparse") + "\n" + text);
                fresh_context();
                data(text);
                const int rc = layout == 0 ? read_dense() : read_sparse();
                EXPECT_TRUE(rc == 0 || rc == kRunMemory || rc == kRunSemantic || rc == kRunIo) << rc;
                EXPECT_EQ(ctx_->handles.data_in, nullptr);  // the data set is closed on every path
                destroy();
                EXPECT_EQ(host_->live_blocks, 0);
                EXPECT_EQ(host_->open_util_files, 0);
                if (::testing::Test::HasFailure()) return;
                ++runs;
            }
        }
    }
    EXPECT_EQ(runs, static_cast<int>(seeds.size()) * kRunsPerSeed * 2);
}

// The same with the memory limit of the mini host cutting allocations short
// at random points: the readers return 9 (or finish) and release everything.
TEST_F(ReaderFuzz, ShortMemoryGivesResultNineAndLeaksNothing) {
    const fs::path corpus = fs::path(QMLP_SOURCE_DIR) / "tests" / "corpus" / "readers";
    const std::string dense = read_file(corpus / "dense_every_kind.csv");
    const std::string sparse = read_file(corpus / "sparse_two_pairs.csv");
    for (int64_t limit = 20000; limit < 400000; limit += 7919) {
        for (int layout = 0; layout < 2; ++layout) {
            SCOPED_TRACE("limit " + std::to_string(limit) + (layout == 0 ? " dense" : " sparse"));
            fresh_context();
            data(layout == 0 ? dense : sparse);
            host_->memory_limit = limit;
            const int rc = layout == 0 ? read_dense() : read_sparse();
            EXPECT_TRUE(rc == 0 || rc == kRunMemory || rc == kRunIo) << rc;
            host_->memory_limit = 0;
            destroy();
            EXPECT_EQ(host_->live_blocks, 0);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

}  // namespace
