// Compressed node records: TREETYPE 1 to 3 code every node record of the
// search, which takes the same nodes to the same optimum as raw records,
// in a smaller node file.
#include <string>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;

// The numbers of "Branch and bound saved N node records in B bytes" and of
// INT_ITER and OBJECTIVE.
struct Search {
    std::string int_iter;
    std::string objective;
    long records = -1;
    long bytes = -1;
};

std::string field(const std::string& log, const std::string& key) {
    const size_t at = log.find(key + "=");
    if (at == std::string::npos) return {};
    const size_t from = at + key.size() + 1;
    return log.substr(from, log.find(' ', from) - from);
}

class NodeRecords : public e2e::ScratchFolder {
  protected:
    Search solve(const fs::path& mps, int tree_type) {
        const fs::path log = dir_ / "log.txt";
        e2e::shell("cd " + e2e::quoted(dir_.string()) + " && " + e2e::quoted(e2e::qmlp_binary().string()) + " solve " +
                   e2e::quoted(mps.string()) + " noprint treetype=" + std::to_string(tree_type) + " >/dev/null 2>" +
                   e2e::quoted(log.string()));
        const std::string text = e2e::slurp(log);
        Search s{field(text, "INT_ITER"), field(text, "OBJECTIVE")};
        const size_t at = text.find("Branch and bound saved ");
        if (at != std::string::npos)
            std::sscanf(text.c_str() + at, "Branch and bound saved %ld node records in %ld bytes", &s.records,
                        &s.bytes);
        return s;
    }
};

TEST_F(NodeRecords, EveryTreeTypeTakesTheSameSearchInFewerBytes) {
    const fs::path mps = fs::path(QMLP_SHARED_DIR) / "bench" / "miplib3" / "p0033.mps.gz";
    if (!fs::exists(mps)) GTEST_SKIP() << "no shared instances";
    const Search raw = solve(mps, 0);
    ASSERT_EQ(raw.objective, "3089");
    ASSERT_GT(raw.records, 0);
    for (int tree_type = 1; tree_type <= 3; ++tree_type) {
        const Search coded = solve(mps, tree_type);
        EXPECT_EQ(coded.objective, raw.objective) << tree_type;
        EXPECT_EQ(coded.int_iter, raw.int_iter) << tree_type;
        EXPECT_EQ(coded.records, raw.records) << tree_type;
        EXPECT_LT(coded.bytes, raw.bytes) << tree_type;
    }
}

}  // namespace
