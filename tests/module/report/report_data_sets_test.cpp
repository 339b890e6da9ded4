// report_data_sets_test.cpp -- PRIMALOUT, DUALOUT and TABLEAUOUT written by
// whole runs and read back through the host's data-set input: blocks per
// combination, exact round trip, complementary slackness, ranges and types,
// and the tableau against an independent product B T = A.
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "report_fixture.h"

namespace reporttest {
namespace {

constexpr double kTol = 1e-9;

// What the module handed to the data-set output, snapshot at each write.
struct Snapshot {
    struct Var {
        std::string name;
        int type;
        int length;
        const void* address;
    };
    std::map<TymDataOut, std::vector<Var>> vars;
    std::map<TymDataOut, int> room;  // the variable count each data set was created with
    std::map<TymDataOut, std::vector<std::vector<uint64_t>>> numbers;  // bits of every numeric value
};

Snapshot& snapshot() {
    static Snapshot s;
    return s;
}

TymDataOut snap_create(const TymDataRef* ref, int var_count) {
    TymDataOut ds = qmlp::host::data_out_vector()->create(ref, var_count);
    snapshot().room[ds] = var_count;
    return ds;
}

int snap_define(TymDataOut ds, const char* name, int name_len, int type, int length, const char* label,
                const void* address) {
    snapshot().vars[ds].push_back({std::string(name, static_cast<size_t>(name_len)), type, length, address});
    return qmlp::host::data_out_vector()->define(ds, name, name_len, type, length, label, address);
}

int snap_write(TymDataOut ds) {
    std::vector<uint64_t> row;
    for (const Snapshot::Var& v : snapshot().vars[ds]) {
        if (v.type != TYM_VAR_NUMERIC) continue;
        uint64_t bits = 0;
        std::memcpy(&bits, v.address, sizeof bits);
        row.push_back(bits);
    }
    snapshot().numbers[ds].push_back(row);
    return qmlp::host::data_out_vector()->write(ds);
}

const char* kBlending =
    "_ID_,_TYPE_,corn,oats,soy,_RHS_,_RANGE_\n"
    "cost,MIN,0.30,0.25,0.50,.,.\n"
    "total,EQ,1,1,1,1,.\n"
    "protein,GE,0.09,0.12,0.40,0.15,0.05\n"
    "fat,LE,0.04,0.06,0.02,0.05,.\n"
    "fibre,LE,0.02,0.05,0.06,0.05,.\n";

const char* kTwoObjectives =
    "_ID_,_TYPE_,x1,x2,rhs1,rhs2\n"
    "profit,MAX,3,2,.,.\n"
    "cost,MIN,1,1,.,.\n"
    "c1,LE,1,1,4,6\n"
    "c2,LE,1,3,6,9\n"
    "c3,GE,1,0,1,2\n";

const char* kProductMix =
    "_ID_,_TYPE_,x,y,z,_RHS_\n"
    "profit,MAX,3,2,4,.\n"
    "c1,LE,1,1,2,4\n"
    "c2,LE,2,0,1,5\n"
    "c3,LE,1,3,1,7\n";

class DataSets : public ReportRun {
  protected:
    void SetUp() override {
        ReportRun::SetUp();
        snapshot() = Snapshot{};
        out_ = *qmlp::host::data_out_vector();
        out_.create = snap_create;
        out_.define = snap_define;
        out_.write = snap_write;
        composed_.vectors[TYM_VEC_DATA_OUT] = &out_;
        tymlp::attach_host(&composed_, 0);
    }

    void all_outputs() {
        name_output(tymlp::kDsPrimalOut, "primal.csv");
        name_output(tymlp::kDsDualOut, "dual.csv");
        name_output(tymlp::kDsTableauOut, "tableau.csv");
    }

    static double num(const DataSet& d, size_t row, const std::string& var) {
        return d.rows.at(row).at(static_cast<size_t>(d.var(var))).number;
    }
    static std::string txt(const DataSet& d, size_t row, const std::string& var) {
        return d.rows.at(row).at(static_cast<size_t>(d.var(var))).s;
    }
    // The (_OBJ_ID_, _RHS_ID_) of each block of consecutive observations.
    static std::vector<std::pair<std::string, std::string>> blocks(const DataSet& d) {
        std::vector<std::pair<std::string, std::string>> out;
        for (size_t r = 0; r < d.rows.size(); ++r) {
            std::pair<std::string, std::string> key{txt(d, r, "_OBJ_ID_"), txt(d, r, "_RHS_ID_")};
            if (out.empty() || out.back() != key) out.push_back(key);
        }
        return out;
    }
    static bool unique_names(const DataSet& d) {
        return std::set<std::string>(d.names.begin(), d.names.end()).size() == d.names.size();
    }

    TymDataOutVector out_{};
};

TEST_F(DataSets, TwoObjectivesTimesTwoRightHandSidesGiveFourBlocksInEachDataSet) {
    data(kTwoObjectives);
    list(tymlp::kVarRhs, {"rhs1", "rhs2"});
    all_outputs();
    ASSERT_EQ(run(), 0);
    const std::vector<std::pair<std::string, std::string>> order = {
        {"profit", "rhs1"}, {"cost", "rhs1"}, {"cost", "rhs2"}, {"profit", "rhs2"}};
    const DataSet p = read_back("primal.csv");
    const DataSet d = read_back("dual.csv");
    const DataSet t = read_back("tableau.csv");
    EXPECT_EQ(blocks(p), order);
    EXPECT_EQ(blocks(d), order);
    EXPECT_EQ(blocks(t), order);
    EXPECT_EQ(p.names, (std::vector<std::string>{"_OBJ_ID_", "_RHS_ID_", "_VAR_", "_TYPE_", "_STATUS_", "_LBOUND_",
                                                 "_VALUE_", "_UBOUND_", "_PRICE_", "_R_COST_"}));
    EXPECT_EQ(d.names, (std::vector<std::string>{"_OBJ_ID_", "_RHS_ID_", "_ROW_ID_", "_TYPE_", "_RHS_", "_L_RHS_",
                                                 "_VALUE_", "_U_RHS_", "_DUAL_"}));
    EXPECT_TRUE(unique_names(p));
    EXPECT_TRUE(unique_names(d));
    EXPECT_TRUE(unique_names(t));
    EXPECT_EQ(p.rows.size() % 4, 0u);
    EXPECT_EQ(d.rows.size(), 4u * 5u);  // rows 1 .. m-1: two objectives, three constraints
    // Each block's objective column holds the value the solution summary showed.
    const auto summaries = tables().named("SolutionSummary");
    ASSERT_EQ(summaries.size(), 4u);
    size_t block = 0;
    for (size_t r = 0; r < p.rows.size(); ++r) {
        const auto key = [&](size_t k) { return txt(p, k, "_OBJ_ID_") + "/" + txt(p, k, "_RHS_ID_"); };
        if (r > 0 && key(r) != key(r - 1)) ++block;
        if (txt(p, r, "_VAR_") == txt(p, r, "_OBJ_ID_")) {
            EXPECT_EQ(txt(p, r, "_TYPE_"), "OBJECT");
            EXPECT_NEAR(num(p, r, "_VALUE_"), summaries[block]->entry("L77")->number, kTol);
        }
    }
    EXPECT_EQ(block, 3u);
    // Known optima: max 3x1 + 2x2 is 12 and 18, min x1 + x2 is 1 and 2.
    EXPECT_NEAR(summaries[0]->entry("L77")->number, 12.0, kTol);
    EXPECT_NEAR(summaries[1]->entry("L77")->number, 1.0, kTol);
    EXPECT_NEAR(summaries[2]->entry("L77")->number, 2.0, kTol);
    EXPECT_NEAR(summaries[3]->entry("L77")->number, 18.0, kTol);
}

TEST_F(DataSets, EachDataSetHasRoomForExactlyItsVariablesAndTheBlockNamesTheirKindsWidth) {
    // A row name longer than any column name: the two name widths differ.
    data("_ID_,_TYPE_,x,y,_RHS_\nprofit,MAX,3,2,.\nwood_and_labour_hours,LE,1,1,4\n");
    all_outputs();
    ASSERT_EQ(run(), 0);
    ASSERT_EQ(snapshot().room.size(), 3u);
    for (const auto& [ds, room] : snapshot().room) {
        const std::vector<Snapshot::Var>& vars = snapshot().vars[ds];
        EXPECT_EQ(room, static_cast<int>(vars.size()));
        ASSERT_GE(vars.size(), 3u);
        EXPECT_EQ(vars[0].name, "_OBJ_ID_");
        EXPECT_EQ(vars[1].name, "_RHS_ID_");
        EXPECT_EQ(vars[0].type, TYM_VAR_CHAR);
        EXPECT_EQ(vars[1].type, TYM_VAR_CHAR);
        EXPECT_EQ(vars[0].length, 21);  // the row-name width
        EXPECT_EQ(vars[1].length, 8);   // the column-name width
        // The third variable names a row (DUALOUT) or a column (the others).
        EXPECT_EQ(vars[2].length, vars[2].name == "_ROW_ID_" ? 21 : 8) << vars[2].name;
    }
}

TEST_F(DataSets, EveryNumberReadsBackBitForBit) {
    data(kBlending);
    all_outputs();
    ASSERT_EQ(run(), 0);
    size_t compared = 0;
    for (const char* file : {"primal.csv", "dual.csv", "tableau.csv"}) {
        SCOPED_TRACE(file);
        const DataSet back = read_back(file);
        // The snapshot of the data set with the same variable names.
        const std::vector<std::vector<uint64_t>>* written = nullptr;
        for (const auto& [ds, vars] : snapshot().vars) {
            std::vector<std::string> names;
            for (const auto& v : vars) names.push_back(v.name);
            if (names == back.names) written = &snapshot().numbers[ds];
        }
        ASSERT_NE(written, nullptr);
        ASSERT_EQ(written->size(), back.rows.size());
        for (size_t r = 0; r < back.rows.size(); ++r) {
            size_t k = 0;
            for (size_t v = 0; v < back.names.size(); ++v) {
                if (back.types[v] != TYM_VAR_NUMERIC) continue;
                uint64_t bits = 0;
                std::memcpy(&bits, &back.rows[r][v].number, sizeof bits);
                EXPECT_EQ(bits, (*written)[r][k]) << back.names[v] << " row " << r;
                ++k;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 50u);
}

TEST_F(DataSets, DualsAndValuesSatisfyComplementarySlackness) {
    data(kBlending);
    name_output(tymlp::kDsPrimalOut, "primal.csv");
    name_output(tymlp::kDsDualOut, "dual.csv");
    ASSERT_EQ(run(), 0);
    const DataSet p = read_back("primal.csv");
    const DataSet d = read_back("dual.csv");
    constexpr double kSlack = 1e-6;
    // Rows: a dual is zero unless the activity sits at an end of its interval.
    for (size_t r = 0; r < d.rows.size(); ++r) {
        if (txt(d, r, "_TYPE_") == "OBJECT") {
            EXPECT_TRUE(std::isnan(num(d, r, "_DUAL_")));
            continue;
        }
        const double v = num(d, r, "_VALUE_");
        const double gap = std::min(std::fabs(v - num(d, r, "_L_RHS_")), std::fabs(v - num(d, r, "_U_RHS_")));
        EXPECT_LE(std::fabs(num(d, r, "_DUAL_")) * gap, kSlack) << txt(d, r, "_ROW_ID_");
    }
    // Columns: a reduced cost is zero unless the value sits at a bound.
    for (size_t r = 0; r < p.rows.size(); ++r) {
        const double v = num(p, r, "_VALUE_");
        const double gap = std::min(std::fabs(v - num(p, r, "_LBOUND_")), std::fabs(v - num(p, r, "_UBOUND_")));
        EXPECT_LE(std::fabs(num(p, r, "_R_COST_")) * gap, kSlack) << txt(p, r, "_VAR_");
    }
    // Reduced cost = price - duals x column, with the coefficients of the data.
    const std::map<std::string, std::map<std::string, double>> a = {
        {"corn", {{"total", 1}, {"protein", 0.09}, {"fat", 0.04}, {"fibre", 0.02}}},
        {"oats", {{"total", 1}, {"protein", 0.12}, {"fat", 0.06}, {"fibre", 0.05}}},
        {"soy", {{"total", 1}, {"protein", 0.40}, {"fat", 0.02}, {"fibre", 0.06}}}};
    std::map<std::string, double> dual;
    for (size_t r = 0; r < d.rows.size(); ++r) dual[txt(d, r, "_ROW_ID_")] = num(d, r, "_DUAL_");
    for (size_t r = 0; r < p.rows.size(); ++r) {
        const auto it = a.find(txt(p, r, "_VAR_"));
        if (it == a.end()) continue;
        double rc = num(p, r, "_PRICE_");
        for (const auto& [row, coef] : it->second) rc -= dual[row] * coef;
        EXPECT_NEAR(num(p, r, "_R_COST_"), rc, kTol) << it->first;
    }
    // A logical column's reduced cost is its row's dual with the column's sign.
    for (size_t r = 0; r < p.rows.size(); ++r) {
        const std::string type = txt(p, r, "_TYPE_");
        if (type == "SLACK") {
            EXPECT_NEAR(num(p, r, "_R_COST_"), -dual[txt(p, r, "_VAR_")], kTol);
        }
        if (type == "SURPLUS") {
            EXPECT_NEAR(num(p, r, "_R_COST_"), dual[txt(p, r, "_VAR_")], kTol);
        }
    }
    // The optimum of the blending example.
    const auto s = tables().named("SolutionSummary");
    ASSERT_EQ(s.size(), 1u);
    EXPECT_NEAR(s[0]->entry("L77")->number, 0.29485294117647, 1e-12);
}

TEST_F(DataSets, DualoutGivesEachRowItsTypeAndInterval) {
    data(kBlending);
    name_output(tymlp::kDsDualOut, "dual.csv");
    ASSERT_EQ(run(), 0);
    const DataSet d = read_back("dual.csv");
    ASSERT_EQ(d.rows.size(), 5u);
    std::map<std::string, size_t> at;
    for (size_t r = 0; r < d.rows.size(); ++r) at[txt(d, r, "_ROW_ID_")] = r;
    const double inf = 1.7976931348623157e308;
    EXPECT_EQ(txt(d, at["cost"], "_TYPE_"), "OBJECT");
    EXPECT_EQ(num(d, at["cost"], "_RHS_"), num(d, at["cost"], "_VALUE_"));
    EXPECT_EQ(num(d, at["cost"], "_L_RHS_"), num(d, at["cost"], "_VALUE_"));
    EXPECT_EQ(num(d, at["cost"], "_U_RHS_"), num(d, at["cost"], "_VALUE_"));
    EXPECT_EQ(txt(d, at["total"], "_TYPE_"), "EQ");
    EXPECT_EQ(num(d, at["total"], "_L_RHS_"), 1.0);
    EXPECT_EQ(num(d, at["total"], "_U_RHS_"), 1.0);
    EXPECT_EQ(txt(d, at["protein"], "_TYPE_"), "RANGEGE");
    EXPECT_NEAR(num(d, at["protein"], "_L_RHS_"), 0.15, kTol);
    EXPECT_NEAR(num(d, at["protein"], "_U_RHS_"), 0.20, kTol);
    EXPECT_EQ(txt(d, at["fat"], "_TYPE_"), "LE");
    EXPECT_EQ(num(d, at["fat"], "_L_RHS_"), -inf);
    EXPECT_NEAR(num(d, at["fat"], "_U_RHS_"), 0.05, kTol);
}

TEST_F(DataSets, PrimaloutTypesBoundsAndTheArtificialsItLeavesOut) {
    data(
        "_ID_,_TYPE_,a,b,c,d,_RHS_\n"
        "obj,MAX,1,1,1,-1,.\n"
        "r1,LE,1,1,1,1,10\n"
        "r2,EQ,1,.,.,-1,1\n"
        "up,UPPER,5,.,.,.,.\n"
        "lo,LOWER,.,.,1,.,.\n"
        "un,UNRS,.,.,.,1,.\n");
    name_output(tymlp::kDsPrimalOut, "primal.csv");
    ASSERT_EQ(run(), 0);
    const DataSet p = read_back("primal.csv");
    std::map<std::string, size_t> at;
    for (size_t r = 0; r < p.rows.size(); ++r) {
        at[txt(p, r, "_VAR_")] = r;
        // An artificial column appears only while basic.
        if (txt(p, r, "_TYPE_") == "ARTIFCL") {
            const std::string st = txt(p, r, "_STATUS_");
            EXPECT_TRUE(st == "_BASIC_" || st == "_DEGEN_") << st;
        }
        // _DEGEN_ is exactly zero, _BASIC_ is not.
        if (txt(p, r, "_STATUS_") == "_DEGEN_") {
            EXPECT_EQ(num(p, r, "_VALUE_"), 0.0);
        }
        if (txt(p, r, "_STATUS_") == "_BASIC_") {
            EXPECT_NE(num(p, r, "_VALUE_"), 0.0);
        }
    }
    const double inf = 1.7976931348623157e308;
    EXPECT_EQ(txt(p, at["a"], "_TYPE_"), "UPPERBD");
    EXPECT_EQ(num(p, at["a"], "_UBOUND_"), 5.0);
    EXPECT_EQ(txt(p, at["c"], "_TYPE_"), "LOWERBD");
    EXPECT_EQ(num(p, at["c"], "_LBOUND_"), 1.0);
    EXPECT_EQ(num(p, at["c"], "_UBOUND_"), inf);  // infinite bounds stay the INFINITY value itself
    EXPECT_EQ(txt(p, at["d"], "_TYPE_"), "UNRSTRT");
    EXPECT_EQ(num(p, at["d"], "_LBOUND_"), -inf);
    EXPECT_EQ(txt(p, at["b"], "_TYPE_"), "NON-NEG");
    EXPECT_EQ(txt(p, at["r1"], "_TYPE_"), "SLACK");
    EXPECT_EQ(txt(p, at["obj"], "_TYPE_"), "OBJECT");
    EXPECT_EQ(num(p, at["a"], "_PRICE_"), 1.0);
    EXPECT_EQ(num(p, at["d"], "_PRICE_"), -1.0);
    EXPECT_EQ(num(p, at["r1"], "_PRICE_"), 0.0);
}

// B T = A and B INVB_R = b, with A and b of the computational form written
// out by hand: columns x, y, z, the phase-1 objective's and the objective's
// logical columns (-1 in their rows), and the three slacks.
TEST_F(DataSets, TableauRowsAreBInverseAOfTheUnscaledProblem) {
    data(kProductMix);
    name_output(tymlp::kDsTableauOut, "tableau.csv");
    name_output(tymlp::kDsPrimalOut, "primal.csv");
    ctx_->options.scale = 3;  // rows and columns: the tableau must come out unscaled
    ASSERT_EQ(run(), 0);
    const DataSet t = read_back("tableau.csv");
    constexpr int kRows = 5;
    constexpr int kCols = 8;
    const double a[kRows][kCols] = {{0, 0, 0, -1, 0, 0, 0, 0},  // phase-1 objective
                                    {3, 2, 4, 0, -1, 0, 0, 0},  // profit
                                    {1, 1, 2, 0, 0, 1, 0, 0},   // c1
                                    {2, 0, 1, 0, 0, 0, 1, 0},   // c2
                                    {1, 3, 1, 0, 0, 0, 0, 1}};  // c3
    const double b[kRows] = {0, 0, 4, 5, 7};
    ASSERT_EQ(t.names.size(), 4u + kCols);
    EXPECT_EQ(t.names[3], "INVB_R");
    ASSERT_EQ(t.rows.size(), 1u + kRows);
    EXPECT_EQ(txt(t, 0, "_BASIC_"), "R_COSTS");
    EXPECT_TRUE(std::isnan(num(t, 0, "INVB_R")));
    // The reduced-cost row is PRIMALOUT's _R_COST_.
    const DataSet p = read_back("primal.csv");
    for (size_t r = 0; r < p.rows.size(); ++r) {
        const int v = t.var(txt(p, r, "_VAR_"));
        ASSERT_GE(v, 4);
        EXPECT_EQ(t.rows[0][static_cast<size_t>(v)].number, num(p, r, "_R_COST_"));
    }
    // The basic columns in basis order.
    std::vector<int> basic;
    for (size_t k = 1; k < t.rows.size(); ++k) {
        const int v = t.var(txt(t, k, "_BASIC_"));
        ASSERT_GE(v, 4) << txt(t, k, "_BASIC_");
        basic.push_back(v - 4);
    }
    // Entry (k, v) of the tableau: observation k + 1, variable v (INVB_R is 3,
    // the columns start at 4).
    const auto entry = [&](int k, int v) { return t.rows[static_cast<size_t>(k) + 1][static_cast<size_t>(v)].number; };
    const auto basic_column = [&](int k) { return basic[static_cast<size_t>(k)]; };
    for (int i = 0; i < kRows; ++i) {
        for (int j = 0; j < kCols; ++j) {
            double sum = 0.0;
            for (int k = 0; k < kRows; ++k) sum += a[i][basic_column(k)] * entry(k, 4 + j);
            EXPECT_NEAR(sum, a[i][j], 1e-9) << "row " << i << " column " << j;
        }
        double sum = 0.0;
        for (int k = 0; k < kRows; ++k) sum += a[i][basic_column(k)] * entry(k, 3);
        EXPECT_NEAR(sum, b[i], 1e-9) << "row " << i;
    }
    // Each basic column's own entry in its row is 1.
    for (int k = 0; k < kRows; ++k) EXPECT_NEAR(entry(k, 4 + basic_column(k)), 1.0, 1e-12);
}

TEST_F(DataSets, ANotFinalSolutionIsNotedOncePerDataSet) {
    data("_ID_,_TYPE_,x,y,_RHS_\ncost,MIN,1,1,.\nlo,GE,1,1,4\nhi,LE,1,1,2\n");
    all_outputs();
    ASSERT_EQ(run(), 0);
    for (int n : {177, 239, 242}) EXPECT_EQ(count(n), 1) << n;
    for (int n : {175, 176, 247, 237, 238, 248, 240, 241}) EXPECT_EQ(count(n), 0) << n;
}

TEST_F(DataSets, AnOptimalLinearProgramNeedsNoNotes) {
    data(kProductMix);
    all_outputs();
    ASSERT_EQ(run(), 0);
    for (int n : {175, 176, 177, 237, 238, 239, 240, 241, 242, 247, 248}) EXPECT_EQ(count(n), 0) << n;
}

TEST_F(DataSets, DataSetsNotNamedAreNotWritten) {
    data(kProductMix);
    name_output(tymlp::kDsDualOut, "dual.csv");
    ASSERT_EQ(run(), 0);
    EXPECT_EQ(snapshot().vars.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(out_path("primal.csv")));
}

}  // namespace
}  // namespace reporttest
