// Randomised robustness of the CSV reader: random bytes and random
// mutations of a valid file never crash, hang or leak, and a file that
// opens always reads through to its end without error.
#include <random>

#include "data_fixture.h"

namespace datatest {
namespace {

const std::string kValid =
    "_TYPE_$8,_ID_,x1,x2,\"x3\",_RHS_\r\n"
    "max,profit,3,2,.,0\r\n"
    "le,\"c,1\",1,1,1.5e0,4\n"
    "ge,c2,1,-1,.I,\"1\"\n"
    "upper,,.,3,._,\n"
    "int,\"a \"\"q\"\"\",1,1,1,.\n";

class CsvFuzz : public DataTest {
  protected:
    // Opens `bytes` as a data set and reads every row with every variable
    // bound.  Returns true when the file opened.
    bool exercise(const std::string& bytes) {
        write_file(file("fz.csv"), bytes);
        TymDataRef r = ref("t", "fz");
        TymDataIn ds = in_->open(&r);
        if (ds == nullptr) return false;
        const int n = in_->var_count(ds);
        std::vector<std::vector<char>> fields(static_cast<size_t>(n));
        for (int v = 1; v <= n; ++v) {
            int type = 0, length = 0;
            in_->var_info(ds, v, nullptr, &type, &length);
            fields[v - 1].resize(type == TYM_VAR_CHAR ? static_cast<size_t>(length) : 8);
            EXPECT_EQ(in_->bind(ds, v, fields[v - 1].data(), static_cast<int>(fields[v - 1].size())), 0);
        }
        int rc;
        int64_t rows = 0;
        while ((rc = in_->read_next(ds)) == 0) ++rows;
        EXPECT_EQ(rc, 1) << errors();
        EXPECT_EQ(in_->obs_number(ds), rows);
        in_->close(ds);
        return true;
    }
};

TEST_F(CsvFuzz, RandomBytes) {
    std::mt19937 rng(12345);
    const std::string alphabet = "ab,\"\r\n.$9 \t_\xC3\xA9\xFF";
    for (int iter = 0; iter < 400; ++iter) {
        std::string bytes(rng() % 300, '\0');
        const bool any_byte = iter % 4 == 0;
        for (char& c : bytes) c = any_byte ? static_cast<char>(rng() & 0xFF) : alphabet[rng() % alphabet.size()];
        exercise(bytes);
    }
}

TEST_F(CsvFuzz, MutationsOfAValidFile) {
    ASSERT_TRUE(exercise(kValid)) << errors();
    std::mt19937 rng(777);
    const char specials[] = {',', '"', '\n', '\r', '.', '$', ' ', 'A', '\0', '\xC3', '\xFF', '1'};
    int opened = 0;
    for (int iter = 0; iter < 1500; ++iter) {
        std::string bytes = kValid;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits && !bytes.empty(); ++e) {
            const size_t at = rng() % bytes.size();
            const char c = specials[rng() % sizeof specials];
            switch (rng() % 4) {
                case 0: bytes[at] = c; break;
                case 1: bytes.insert(bytes.begin() + static_cast<long>(at), c); break;
                case 2: bytes.erase(at, 1 + rng() % 3); break;
                default: bytes = bytes.substr(0, at); break;  // truncation
            }
        }
        opened += exercise(bytes) ? 1 : 0;
    }
    // Both outcomes must be exercised for the test to mean anything.
    EXPECT_GT(opened, 50);
    EXPECT_LT(opened, 1450);
}

}  // namespace
}  // namespace datatest
