// preprocess_program_test.cpp -- preprocessing as a user meets it: real
// programs on small dense data sets solved with PREPROCESS and without; the
// objective in `_QMLP_` must not move, and infeasible data or a second
// right-hand side end the run as bad data.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "e2e_support.h"

namespace {

using e2e::quoted;

struct Outcome {
    int exit_status = -1;
    std::string status;  // the value of _QMLP_
    std::string log;
};

std::string Field(const std::string& text, const std::string& key) {
    const size_t at = text.find(key + "=");
    if (at == std::string::npos) return {};
    const size_t start = at + key.size() + 1;
    return text.substr(start, text.find(' ', start) - start);
}

class PreprocessRun : public e2e::ScratchFolder {
  protected:
    Outcome Solve(const std::string& data, const std::string& options) {
        write("prob.csv", data);
        write("run.qmlp", "LP data=prob " + options + ";\nRUN;\n");
        const e2e::fs::path symbols = dir_ / "sym.txt";
        const e2e::fs::path log = dir_ / "log.txt";
        e2e::fs::remove(symbols);
        Outcome o;
        o.exit_status = e2e::shell(quoted(e2e::qmlp_binary().string()) + " --lib " + quoted(dir_.string()) +
                                   " --symbols " + quoted(symbols.string()) + " --log " + quoted(log.string()) + " " +
                                   quoted((dir_ / "run.qmlp").string()) + " </dev/null >/dev/null 2>&1");
        std::istringstream lines(e2e::slurp(symbols));
        std::string line;
        while (std::getline(lines, line))
            if (line.rfind("_QMLP_=", 0) == 0) o.status = line.substr(7);
        o.log = e2e::slurp(log);
        return o;
    }
};

struct Problem {
    const char* label;
    const char* data;
    double objective;
};

class SameObjective : public PreprocessRun, public ::testing::WithParamInterface<Problem> {};

TEST_P(SameObjective, WithAndWithoutPreprocessing) {
    const Problem& p = GetParam();
    const Outcome plain = Solve(p.data, "nopreprocess");
    const Outcome reduced = Solve(p.data, "preprocess");
    ASSERT_EQ(Field(plain.status, "STATUS"), "SUCCESSFUL") << plain.status << plain.log;
    ASSERT_EQ(Field(reduced.status, "STATUS"), "SUCCESSFUL") << reduced.status << reduced.log;
    EXPECT_EQ(reduced.exit_status, 0);
    const double a = std::strtod(Field(plain.status, "OBJECTIVE").c_str(), nullptr);
    const double b = std::strtod(Field(reduced.status, "OBJECTIVE").c_str(), nullptr);
    EXPECT_NEAR(a, p.objective, 1e-9);
    EXPECT_NEAR(b, p.objective, 1e-9) << reduced.log;
    // Preprocessing did run and did change something.
    EXPECT_TRUE(e2e::contains(reduced.log, "Preprocessing is complete.")) << reduced.log;
    EXPECT_TRUE(e2e::contains(reduced.log, "Preprocessing: ")) << reduced.log;
    EXPECT_FALSE(e2e::contains(plain.log, "Preprocessing")) << plain.log;
}

INSTANTIATE_TEST_SUITE_P(SmallProblems, SameObjective,
                         ::testing::Values(
                             // Product mix with a redundant less-or-equal row and a greater-or-equal
                             // row whose right-hand side is negative: both become free rows.
                             Problem{"mix_with_redundant_rows",
                                     "_ID_,_TYPE_,x,y,z,_RHS_\n"
                                     "profit,MAX,3,2,4,.\n"
                                     "a,LE,1,1,2,4\n"
                                     "b,LE,2,0,1,5\n"
                                     "c,LE,1,3,1,7\n"
                                     "d,LE,1,1,1,100\n"
                                     "e,GE,1,1,1,-5\n",
                                     10.5},
                             // Diet: greater-or-equal rows raise lower bounds against the upper ones.
                             Problem{"diet_with_bounds",
                                     "_ID_,_TYPE_,a,b,c,_RHS_\n"
                                     "cost,MIN,2,3,1.5,.\n"
                                     "prot,GE,3,4,1,20\n"
                                     "fat,LE,1,2,1,12\n"
                                     "carb,GE,2,1,3,15\n"
                                     "limit,UPPER,4,4,4,.\n",
                                     169.0 / 11.0},
                             // An equality, a range row and a capacity row: bounds from both sides.
                             Problem{"equality_and_range",
                                     "_ID_,_TYPE_,x,y,z,_RHS_,_RANGE_\n"
                                     "obj,MAX,1,2,-1,.,.\n"
                                     "bal,EQ,1,1,1,10,.\n"
                                     "rng,LE,1,-1,0,2,6\n"
                                     "cap,LE,0,1,2,8,.\n"
                                     "ub,UPPER,6,.,5,.,.\n",
                                     17},
                             // 4 <= x + y <= 9 with x, y <= 4: the upper side can never bind, but
                             // the lower one is what the minimum rests on, so the row must stay.
                             Problem{"binding_range_side",
                                     "_ID_,_TYPE_,x,y,_RHS_,_RANGE_\n"
                                     "obj,MIN,1,1,.,.\n"
                                     "rng,LE,1,1,9,5\n"
                                     "ub,UPPER,4,4,.,.\n"
                                     "other,LE,1,-1,1,.\n"
                                     "cap,LE,2,0,6,.\n",
                                     4},
                             // Fixed and unrestricted columns with negative right-hand sides.
                             Problem{"fixed_and_unrestricted",
                                     "_ID_,_TYPE_,x,y,z,w,_RHS_\n"
                                     "obj,MIN,1,-1,2,1,.\n"
                                     "r1,GE,1,1,0,0,-3\n"
                                     "r2,LE,-1,1,1,0,4\n"
                                     "r3,EQ,1,0,1,0,2\n"
                                     "r4,LE,0,0,0,1,7\n"
                                     "free,UNRS,.,1,.,.,.\n"
                                     "ub,UPPER,.,5,.,.,.\n"
                                     "pin,FIXED,.,.,.,3,.\n",
                                     0},
                             // Single-column rows only: every row turns into a bound and then
                             // into a free row.
                             Problem{"rows_that_are_bounds",
                                     "_ID_,_TYPE_,x,y,_RHS_\n"
                                     "obj,MAX,2,3,.\n"
                                     "xcap,LE,1,0,4\n"
                                     "ycap,LE,0,2,10\n"
                                     "both,LE,1,1,20\n",
                                     23}),
                         [](const ::testing::TestParamInfo<Problem>& info) { return std::string(info.param.label); });

TEST_F(PreprocessRun, AnInfeasibleRowEndsTheRunAsBadData) {
    const Outcome o = Solve("_ID_,_TYPE_,x,y,_RHS_\ncost,MIN,1,1,.\nlow,GE,1,1,5\nub,UPPER,2,2,.\n", "preprocess");
    EXPECT_EQ(Field(o.status, "STATUS"), "BADDATA_ERROR") << o.status;
    EXPECT_NE(o.exit_status, 0);
    EXPECT_TRUE(e2e::contains(o.log, "Preprocessing found the constraint low infeasible.")) << o.log;
    EXPECT_TRUE(e2e::contains(o.log, "Preprocessing: 1 constraints infeasible.")) << o.log;
    EXPECT_FALSE(e2e::contains(o.log, "Preprocessing is complete.")) << o.log;
}

TEST_F(PreprocessRun, TwoRightHandSidesAreRefused) {
    const Outcome o = Solve("_ID_,_TYPE_,x,y,r1,r2\ncost,MAX,1,1,.,.\ncap,LE,1,1,4,5\n", "preprocess;\nRHS r1 r2");
    EXPECT_EQ(Field(o.status, "STATUS"), "BADDATA_ERROR") << o.status << o.log;
    EXPECT_TRUE(e2e::contains(o.log, "Preprocessing needs a single right-hand-side column.")) << o.log;
}

TEST_F(PreprocessRun, PmaxitLimitsThePassesAndDebugListsTheChanges) {
    const char* data = "_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,1,.\na,LE,1,-1,0\nb,LE,0,1,3\n";
    const Outcome one = Solve(data, "preprocess pmaxit=1 debug=1");
    EXPECT_TRUE(e2e::contains(one.log, "Preprocessing pass 1.")) << one.log;
    EXPECT_FALSE(e2e::contains(one.log, "Preprocessing pass 2.")) << one.log;
    EXPECT_TRUE(e2e::contains(one.log, "Preprocessing lowered the upper bound of y to 3.")) << one.log;
    const Outcome all = Solve(data, "preprocess");
    EXPECT_TRUE(e2e::contains(all.log, "Preprocessing pass 3.")) << all.log;
    EXPECT_EQ(Field(all.status, "OBJECTIVE"), "6") << all.status;
}

}  // namespace
