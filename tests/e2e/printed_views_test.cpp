// The current tableau, the coefficient matrix and the infeasibility report
// in the listing, checked against values worked out by hand.
#include <string>

#include "e2e_support.h"

namespace {

using e2e::contains;
using e2e::RunResult;

class PrintedViews : public e2e::ScratchFolder {};

TEST_F(PrintedViews, TheTableauAndTheMatrixOfASmallProblem) {
    // max x + 2y, x + y <= 4, x + 3y <= 6: x = 3, y = 1, B^-1 = [1.5 -0.5; -0.5 0.5].
    write("q.csv", "_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,2,.\nc1,LE,1,1,4\nc2,LE,1,3,6\n");
    const RunResult r = run("LP data=q tableauprint endpause;\nRUN;\nPRINT MATRIX ROW(c2);\nPRINT PICTURE;\nRUN;\n");
    EXPECT_EQ(r.exit_status, 0) << r.log;
    const std::string& l = r.listing;
    EXPECT_TRUE(contains(l, "Current Tableau")) << l;
    EXPECT_TRUE(contains(l, "R_COSTS         .  -0.5  -0.5")) << l;
    EXPECT_TRUE(contains(l, "x               3   1.5  -0.5")) << l;
    EXPECT_TRUE(contains(l, "y               1  -0.5   0.5")) << l;
    // The matrix of the listed row, with the bounds of the columns.
    EXPECT_TRUE(contains(l, "c2        1   3")) << l;
    EXPECT_TRUE(contains(l, "c2        1   3\nUPPERBD  .I  .I")) << l;
    // The picture: 2 is A, an unbounded column shows "." above.  Without
    // ROW(...) every row is shown, the phase-1 objective (no coefficient
    // here) first, under its whole name.
    EXPECT_TRUE(contains(l,
                         "PHASE_1_OBJECTIVE\nobj                 1   A\nc1                  1   1\n"
                         "c2                  1   A"))
        << l;
    EXPECT_TRUE(contains(l, "UPPERBD             .   .")) << l;
    EXPECT_TRUE(contains(l, "Legend of the Matrix Picture")) << l;
    // A feasible run has no infeasibility report.
    EXPECT_FALSE(contains(l, "Infeasible")) << l;
}

// A picture or a matrix of names that are all unknown prints nothing but
// the warnings, as a summary of unknown columns does; a list with one known
// name prints that part.
TEST_F(PrintedViews, ListsOfOnlyUnknownNamesPrintNoMatrix) {
    write("q.csv", "_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,2,.\nc1,LE,1,1,4\nc2,LE,1,3,6\n");
    const RunResult r =
        run("LP data=q endpause;\nRUN;\nPRINT PICTURE COLUMN(nosuch);\nPRINT MATRIX ROW(nothere);\n"
            "PRINT COLUMN(nosuch);\nRUN;\n");
    EXPECT_EQ(r.exit_status, 0) << r.log;
    EXPECT_TRUE(contains(r.log, "no column or row is named or numbered nosuch")) << r.log;
    EXPECT_TRUE(contains(r.log, "no column or row is named or numbered nothere")) << r.log;
    EXPECT_FALSE(contains(r.listing, "Matrix Picture")) << r.listing;
    EXPECT_FALSE(contains(r.listing, "Legend")) << r.listing;
    EXPECT_FALSE(contains(r.listing, "Coefficient Matrix")) << r.listing;

    const RunResult part = run("LP data=q endpause;\nRUN;\nPRINT PICTURE COLUMN(nosuch Y) ROW(c2);\nRUN;\n");
    EXPECT_TRUE(contains(part.listing, "c2        A")) << part.listing;
    EXPECT_FALSE(contains(part.listing, "PHASE_1")) << part.listing;
}

TEST_F(PrintedViews, AnInfeasibleEndingSaysWhereTheRowsBreak) {
    // x <= 3 and x + y <= 4 leave x + y >= 6 out of reach.
    write("inf.csv", "_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,2,.\nc1,LE,1,1,4\nc2,GE,1,1,6\nup,UPPERBD,3,.,.\n");
    for (const char* level : {"", " printlevel=-1"}) {
        const RunResult r = run(std::string("LP data=inf") + level + ";\nRUN;\n%PUT &_QMLP_;\n");
        EXPECT_TRUE(contains(r.log, "STATUS=INFEASIBLE")) << r.log;
        const std::string& l = r.listing;
        EXPECT_TRUE(contains(l, "Constraint c2")) << l;
        EXPECT_TRUE(contains(l, "Type               GE")) << l;
        EXPECT_TRUE(contains(l, "Right-Hand Side     6")) << l;
        EXPECT_TRUE(contains(l, "x                  1         3      0      3")) << l;
        EXPECT_TRUE(contains(l, "y                  1         1      0     .I")) << l;
        EXPECT_FALSE(contains(l, "Constraint c1")) << l;
    }
    const RunResult quiet = run("LP data=inf printlevel=0;\nRUN;\n");
    EXPECT_FALSE(contains(quiet.listing, "Constraint c2")) << quiet.listing;
}

}  // namespace
