// solution_check.h -- an independent check of a solution that qmlp wrote:
// reads PRIMALOUT and DUALOUT as plain CSV and verifies them against the
// problem as generated (not as qmlp read it), in the user's units:
//   - every column within its bounds, and every row within its interval at
//     the point with each column moved onto its bounds;
//   - the reduced costs d = c - A'y recomputed from the duals, and their
//     signs: zero for a column strictly between its bounds, of the sense's
//     sign at the bound the column sits on;
//   - the duals' signs: zero for a row strictly inside its interval, of the
//     sense's sign at the end the row sits on (complementary slackness);
//   - the reduced costs qmlp wrote agree with the recomputed ones;
//   - the objective c'x.
// Tolerances are relative to the sizes of the terms that meet in each test.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "random_lp.h"

namespace randlp {

// One CSV data set: header names (without "$N") and rows of text cells.
struct Table {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
    int column(const std::string& name) const;  // -1 when absent
};
bool read_table(const std::filesystem::path& file, Table* out, std::string* error);

// A number of a data set cell: "." and the special missing values are NaN.
double cell_number(const std::string& text);

struct CheckResult {
    bool ok = true;
    double objective = 0.0;  // c'x of the primal values read
    std::string failures;    // one line per failed test
};

CheckResult check_solution(const Problem& p, const std::filesystem::path& primalout,
                           const std::filesystem::path& dualout, double tolerance);

}  // namespace randlp
