// mps_dataset_test.cpp -- the host's own data set reader reads the import's
// output with the intended variables, and every value arrives unchanged.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "host_api.h"
#include "mps/mps_convert.h"
#include "mps_test_support.h"

namespace qmlp::host::mps::testing {
namespace {

namespace fs = std::filesystem;

class MpsDataset : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qmlp-mpsdata-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        HostConfig config;
        config.default_lib = dir_.string();
        data_configure(config);
        data_step_begin();
        in_ = data_in_vector();
    }
    void TearDown() override {
        data_step_end();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    fs::path dir_;
    const TymDataInVector* in_ = nullptr;
};

TEST_F(MpsDataset, HostReaderSeesTheVariablesAndValuesAsWritten) {
    // Names that look like numbers, hold commas or quotes, or run long.
    const std::string mps =
        "NAME\nROWS\n N COST\n L 123\n G a,b\n E say\"x\"\n L A_LONG_ROW_NAME_OF_TWENTY_SIX\nCOLUMNS\n"
        " 7 COST 0.1 123 -0\n 7 a,b 1e-300\n"
        " M 'MARKER' 'INTORG'\n c\"q COST 3 say\"x\" 2\n c\"q A_LONG_ROW_NAME_OF_TWENTY_SIX 1\n"
        " M 'MARKER' 'INTEND'\nRHS\n RHS 123 4 a,b 0.3333333333333333\nRANGES\n R say\"x\" -2\n"
        "BOUNDS\n UP B 7 1.7976931348623157e308\n LO B c\"q -3\n UP B c\"q 9\nENDATA\n";
    const std::string source = (dir_ / "names.mps").string();
    const std::string target = (dir_ / "names.csv").string();
    { std::ofstream(source) << mps; }
    std::FILE* sink = std::tmpfile();
    ASSERT_EQ(run_import({source, target, false, false}, sink, sink), 0);
    std::fclose(sink);

    TymDataRef ref{};
    std::snprintf(ref.path, sizeof ref.path, "%s", target.c_str());
    TymDataIn ds = in_->open(&ref);
    ASSERT_NE(ds, nullptr);
    ASSERT_EQ(in_->var_count(ds), 6);
    const char* names[] = {"_TYPE_", "_COL_", "_ROW1_", "_COEF1_", "_ROW2_", "_COEF2_"};
    const int types[] = {TYM_VAR_CHAR, TYM_VAR_CHAR, TYM_VAR_CHAR, TYM_VAR_NUMERIC, TYM_VAR_CHAR, TYM_VAR_NUMERIC};
    const int lengths[] = {8, 8, 29, 8, 29, 8};
    char fields[6][64];
    double numbers[6];
    for (int v = 1; v <= 6; ++v) {
        char name[33];
        int type = 0, length = 0;
        ASSERT_EQ(in_->var_info(ds, v, name, &type, &length), 0);
        EXPECT_STREQ(name, names[v - 1]);
        EXPECT_EQ(type, types[v - 1]) << name;
        if (type == TYM_VAR_CHAR) {
            EXPECT_EQ(length, lengths[v - 1]) << name;
            ASSERT_EQ(in_->bind(ds, v, fields[v - 1], length), 0);
        } else {
            ASSERT_EQ(in_->bind(ds, v, &numbers[v - 1], 8), 0);
        }
    }

    // Compare every observation with the text the writer produced.
    std::ifstream written(target);
    std::string line;
    std::getline(written, line);
    int observations = 0;
    while (std::getline(written, line)) {
        SCOPED_TRACE(line);
        ASSERT_EQ(in_->read_next(ds), 0);
        ++observations;
        std::vector<std::string> expect = csv_fields(line);
        for (int v = 0; v < 6; ++v) {
            if (types[v] == TYM_VAR_CHAR) {
                std::string got(fields[v], static_cast<std::size_t>(lengths[v]));
                got.erase(got.find_last_not_of(' ') + 1);
                EXPECT_EQ(got, expect[v]) << names[v];
            } else if (expect[v] == ".") {
                EXPECT_NE(missing_letter(numbers[v]), 0) << names[v];
            } else {
                const double want = std::stod(expect[v]);
                EXPECT_EQ(std::memcmp(&numbers[v], &want, sizeof want), 0) << names[v] << " " << numbers[v];
            }
        }
    }
    EXPECT_EQ(in_->read_next(ds), 1);
    EXPECT_GT(observations, 10);
    in_->close(ds);
}

}  // namespace
}  // namespace qmlp::host::mps::testing
