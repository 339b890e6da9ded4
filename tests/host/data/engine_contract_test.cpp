// The data-set engines keep one contract: every case here runs against a
// CSV library and an SQLite library alike.
#include <cmath>
#include <cstring>

#include "data/data_internal.h"
#include "data/data_status.h"
#include "data/engine.h"
#include "data_fixture.h"

namespace datatest {
namespace {

using qmlp::host::missing_value;

enum class Kind { Csv, Sqlite };

class EngineContract : public DataTest, public ::testing::WithParamInterface<Kind> {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        if (GetParam() == Kind::Sqlite) {
            ASSERT_TRUE(qmlp::host::libname_assign_engine("t", "sqlite", (dir_ / "t.db").string())) << errors();
        }
    }

    // Writes member with a numeric x and a character name$6, one row per
    // pair; commits when asked.  Returns the close status.
    int write_set(const std::string& member, const std::vector<std::pair<double, std::string>>& rows,
                  bool commit = true) {
        TymDataRef r = ref("t", member);
        TymDataOut out = out_->create(&r, 2);
        EXPECT_NE(out, nullptr) << errors();
        if (out == nullptr) return -100;
        double x = 0;
        char name[6];
        EXPECT_EQ(out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, "The value", &x), 0);
        EXPECT_EQ(out_->define(out, "Name", 4, TYM_VAR_CHAR, 6, "", name), 0);
        for (const auto& [value, text] : rows) {
            x = value;
            std::memset(name, ' ', sizeof name);
            std::memcpy(name, text.data(), std::min(text.size(), sizeof name));
            EXPECT_EQ(out_->write(out), 0) << errors();
        }
        return out_->close(out, commit ? 1 : 0);
    }

    struct Row {
        double x;
        std::string name;  // as the blank-padded field of 8 bytes
    };
    std::vector<Row> read_set(const std::string& member) {
        TymDataRef r = ref("t", member);
        TymDataIn in = in_->open(&r);
        EXPECT_NE(in, nullptr) << errors();
        std::vector<Row> rows;
        if (in == nullptr) return rows;
        Row row{};
        char name[8];
        EXPECT_EQ(in_->bind(in, in_->find_var(in, "X", 1), &row.x, 8), 0);
        EXPECT_EQ(in_->bind(in, in_->find_var(in, "name", -1), name, sizeof name), 0);
        while (in_->read_next(in) == 0) {
            row.name.assign(name, sizeof name);
            rows.push_back(row);
        }
        in_->close(in);
        return rows;
    }
};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_P(EngineContract, NumbersTextAndEveryMissingValueRoundTripExactly) {
    const std::vector<std::pair<double, std::string>> rows = {
        {0.1 + 0.2, "abc"},           {-1e300, ""},
        {3, "h\xC3\xA9llo"},          {missing_value('.'), "dot"},
        {missing_value('A'), "a"},    {missing_value('I'), "inf"},
        {missing_value('M'), "minf"}, {missing_value('_'), "under"},
        {missing_value('Z'), "z"},    {5e-324, "tiny"},
    };
    ASSERT_EQ(write_set("rt", rows), 0) << errors();
    const std::vector<Row> back = read_set("rt");
    ASSERT_EQ(back.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(same_bits(back[i].x, rows[i].first)) << "row " << i;
        std::string padded = rows[i].second;
        padded.resize(8, ' ');
        EXPECT_EQ(back[i].name, padded) << "row " << i;
    }
}

TEST_P(EngineContract, VariablesKeepTypeLengthOrderAndAreFoundInAnyCase) {
    ASSERT_EQ(write_set("vars", {{1, "a"}}), 0);
    TymDataRef r = ref("T", "VARS");
    TymDataIn in = in_->open(&r);
    ASSERT_NE(in, nullptr) << errors();
    EXPECT_EQ(in_->var_count(in), 2);
    char name[33];
    int type = 0, length = 0;
    ASSERT_EQ(in_->var_info(in, 2, name, &type, &length), 0);
    EXPECT_STREQ(name, "Name");
    EXPECT_EQ(type, TYM_VAR_CHAR);
    EXPECT_EQ(length, 6);  // the written length, not the longest value
    ASSERT_EQ(in_->var_info(in, 1, name, &type, &length), 0);
    EXPECT_EQ(type, TYM_VAR_NUMERIC);
    EXPECT_EQ(in_->find_var(in, "NAME  ", 6), 2);
    EXPECT_EQ(in_->find_var(in, "nope", -1), 0);
    EXPECT_EQ(in_->var_info(in, 3, name, &type, &length), qmlp::host::data::kBadArgument);
    EXPECT_STREQ(in_->name(in), "T.VARS");
    in_->close(in);
}

TEST_P(EngineContract, RewindReadsFromTheStartAgain) {
    ASSERT_EQ(write_set("rw", {{1, "a"}, {2, "b"}}), 0);
    TymDataRef r = ref("t", "rw");
    TymDataIn in = in_->open(&r);
    ASSERT_NE(in, nullptr) << errors();
    double x = 0;
    in_->bind(in, 1, &x, 8);
    EXPECT_EQ(in_->read_next(in), 0);
    EXPECT_EQ(in_->read_next(in), 0);
    EXPECT_EQ(in_->obs_number(in), 2);
    EXPECT_EQ(in_->read_next(in), 1);
    EXPECT_EQ(in_->rewind(in), 0);
    EXPECT_EQ(in_->obs_number(in), 0);
    EXPECT_EQ(in_->read_next(in), 0);
    EXPECT_EQ(x, 1);
    in_->close(in);
}

TEST_P(EngineContract, AnUncommittedRewriteKeepsTheEarlierVersion) {
    ASSERT_EQ(write_set("keep", {{42, "old"}}), 0);
    EXPECT_EQ(write_set("keep", {{7, "new"}, {8, "new"}}, false), 0);
    // A step that ends with the output still open discards it as well.
    TymDataRef r = ref("t", "keep");
    TymDataOut out = out_->create(&r, 1);
    ASSERT_NE(out, nullptr) << errors();
    double x = 9;
    out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, "", &x);
    out_->write(out);
    qmlp::host::data_step_end();
    qmlp::host::data_step_begin();
    EXPECT_EQ(qmlp::host::data::open_output_count(), 0);
    const std::vector<Row> back = read_set("keep");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].x, 42);
}

TEST_P(EngineContract, ACommitReplacesTheDataSetAndBecomesTheLastOne) {
    ASSERT_EQ(write_set("rep", {{1, "a"}, {2, "b"}, {3, "c"}}), 0);
    ASSERT_EQ(write_set("REP", {{4, "d"}}), 0);
    const std::vector<Row> back = read_set("rep");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].x, 4);
    auto last = qmlp::host::last_dataset();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(qmlp::host::dataset_display_name(*last), "T.REP");
}

TEST_P(EngineContract, ADataSetWithoutObservationsHasItsVariables) {
    ASSERT_EQ(write_set("empty", {}), 0) << errors();
    std::vector<qmlp::host::VarInfo> vars;
    ASSERT_TRUE(qmlp::host::dataset_variables(ref("t", "empty"), vars)) << errors();
    ASSERT_EQ(vars.size(), 2u);
    EXPECT_EQ(vars[1].type, TYM_VAR_CHAR);
    EXPECT_TRUE(read_set("empty").empty());
}

TEST_P(EngineContract, InvalidOutputNamesAreMadeValidAndUnique) {
    TymDataRef r = ref("t", "names");
    TymDataOut out = out_->create(&r, 2);
    ASSERT_NE(out, nullptr);
    double a = 1, b = 2;
    ASSERT_EQ(out_->define(out, "my var", -1, TYM_VAR_NUMERIC, 8, "", &a), 0);
    ASSERT_EQ(out_->define(out, "my_var", -1, TYM_VAR_NUMERIC, 8, "", &b), 0);
    out_->write(out);
    ASSERT_EQ(out_->close(out, 1), 0) << errors();
    TymDataIn in = in_->open(&r);
    ASSERT_NE(in, nullptr) << errors();
    EXPECT_EQ(in_->find_var(in, "my_var", -1), 1);
    EXPECT_EQ(in_->find_var(in, "my_var_2", -1), 2);
    in_->close(in);
}

TEST_P(EngineContract, AMissingDataSetIsAnErrorAndNoHandle) {
    TymDataRef r = ref("t", "absent");
    EXPECT_EQ(in_->open(&r), nullptr);
    EXPECT_NE(errors().find("Data set T.ABSENT does not exist"), std::string::npos) << errors();
    EXPECT_EQ(qmlp::host::data::open_input_count(), 0);
}

TEST_P(EngineContract, AWriteAfterCloseIsRefused) {
    TymDataRef r = ref("t", "closed");
    TymDataOut out = out_->create(&r, 1);
    double x = 1;
    out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, "", &x);
    ASSERT_EQ(out_->close(out, 1), 0);
    EXPECT_EQ(out_->write(out), qmlp::host::data::kBadHandle);
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineContract, ::testing::Values(Kind::Csv, Kind::Sqlite),
                         [](const auto& info) { return info.param == Kind::Csv ? "Csv" : "Sqlite"; });

}  // namespace
}  // namespace datatest
