// Mutated program files, SQLite tables and ACTIVEIN data sets run through
// the qmlp command.  Whatever the mutation, a run ends (no crash, no hang),
// never exits 0 with an ERROR in its log, and never reports SUCCESSFUL for
// a problem its input did not describe: an SQLite table solves as the same
// values in a CSV file do, and a search resumed from mutated active nodes
// never calls a wrong objective optimal.
//
// HostileFuzz runs a few dozen mutations of each kind in `make test`;
// HostileFuzzMany runs thousands under the label `slow`
// (QMLP_HOSTILE_FUZZ_RUNS sets the count per kind).
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

using e2e::contains;
using e2e::quoted;
using e2e::shell;
using e2e::slurp;

constexpr int kQuickRuns = 40;
constexpr int kManyRuns = 1500;
constexpr unsigned kSeed = 20261208;
constexpr int kTimeoutExit = 124;  // timeout(1) ended a run that hung
constexpr int kFirstSignalExit = 128;

const std::string kProductMix =
    "_ID_,_TYPE_,chairs,tables,desks,_RHS_\n"
    "profit,MAX,30,50,40,.\n"
    "wood,LE,2,4,3,300\n"
    "labour,LE,4,3,5,360\n"
    "finishing,LE,1,2,1,120\n";

const char* const kProgramTokens[] = {
    ";",
    "/*",
    "*/",
    "'",
    "\"",
    "&",
    "%LET",
    "%PUT",
    "RUN",
    "QUIT",
    "LP",
    "VAR",
    "RHS",
    "TYPE",
    "ID",
    "RESET",
    "data=pm",
    "-",
    ",",
    "=",
    "(",
    ")",
    "maxit=1",
    "time=0",
    "1e400",
    "-1",
    ".I",
    "_ALL_",
    "chairs",
    "desks-chairs",
    "sparsedata",
    "primalout=out",
    "&undef",
    "\n",
    " ",
    "pricetype=5",
    "scale=9",
    "epsilon=1e-400",
    "\xEF\xBB\xBF",
    "\xFF",
};

const char* const kValueTokens[] = {".",  ".I", ".M", "0",       "-1",      "1e308", "1e-308", "x",   "",
                                    "LE", "GE", "EQ", "UPPERBD", "LOWERBD", "FREE",  "INT",    "nan", "3.5"};

struct Outcome {
    int exit_status = -1;
    std::string log;
};

std::string random_token(std::mt19937& rng, const char* const* tokens, size_t count) {
    std::uniform_int_distribution<size_t> pick(0, count);
    const size_t k = pick(rng);
    if (k < count) return tokens[k];
    std::string bytes;
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 3; ++i) bytes += static_cast<char>(byte(rng));
    return bytes;
}

// One to three edits of the text: a token put in, a stretch cut out or
// repeated.
std::string mutate_text(std::string text, std::mt19937& rng) {
    std::uniform_int_distribution<int> edits(1, 3);
    for (int e = edits(rng); e > 0 && !text.empty(); --e) {
        std::uniform_int_distribution<size_t> at(0, text.size() - 1);
        const size_t p = at(rng);
        std::uniform_int_distribution<size_t> len(1, 12);
        switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
            case 0: text.erase(p, len(rng)); break;
            case 1: text.insert(p, text.substr(p, len(rng))); break;
            default: text.insert(p, random_token(rng, kProgramTokens, std::size(kProgramTokens))); break;
        }
    }
    return text;
}

// The data rows as cells (the header kept), one to three cells changed.
std::vector<std::vector<std::string>> mutate_cells(std::vector<std::vector<std::string>> rows, std::mt19937& rng) {
    std::uniform_int_distribution<int> edits(1, 3);
    for (int e = edits(rng); e > 0; --e) {
        std::uniform_int_distribution<size_t> r(1, rows.size() - 1);
        std::vector<std::string>& row = rows[r(rng)];
        std::uniform_int_distribution<size_t> c(0, row.size() - 1);
        row[c(rng)] = random_token(rng, kValueTokens, std::size(kValueTokens));
    }
    return rows;
}

std::vector<std::vector<std::string>> cells_of(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    size_t start = 0;
    while (start < csv.size()) {
        const size_t end = csv.find('\n', start);
        const std::string line = csv.substr(start, end - start);
        std::vector<std::string> row;
        size_t from = 0;
        for (size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1)
            row.push_back(line.substr(from, comma - from));
        row.push_back(line.substr(from));
        rows.push_back(row);
        start = end == std::string::npos ? csv.size() : end + 1;
    }
    return rows;
}

// A cell as an SQL literal: numbers as numbers, the rest as text (bytes in
// hexadecimal, so that any byte reaches the table).
std::string sql_literal(const std::string& cell) {
    if (cell.empty() || cell == ".") return "NULL";
    char* end = nullptr;
    std::strtod(cell.c_str(), &end);
    if (end != nullptr && *end == '\0' && cell != "nan") return cell;
    static const char* const hex = "0123456789ABCDEF";
    std::string out = "CAST(X'";
    for (unsigned char ch : cell) {
        out += hex[ch >> 4];
        out += hex[ch & 15];
    }
    return out + "' AS TEXT)";
}

bool csv_safe(const std::vector<std::vector<std::string>>& rows) {
    for (const auto& row : rows)
        for (const std::string& cell : row)
            if (cell.find_first_of(",\"\n\r") != std::string::npos) return false;
    return true;
}

std::string csv_of(const std::vector<std::vector<std::string>>& rows) {
    std::string out;
    for (const auto& row : rows) {
        for (size_t k = 0; k < row.size(); ++k) out += (k > 0 ? "," : "") + row[k];
        out += "\n";
    }
    return out;
}

class HostileFuzz : public e2e::ScratchFolder {
  protected:
    static int runs(int quick) {
        const char* env = std::getenv("QMLP_HOSTILE_FUZZ_RUNS");
        return env != nullptr && *env != '\0' ? std::atoi(env) : quick;
    }

    Outcome run_program(const std::string& program) {
        write("fuzz.qmlp", program);
        Outcome o;
        o.exit_status = shell("cd " + quoted(dir_.string()) + " && timeout 60 " + quoted(e2e::qmlp_binary().string()) +
                              " --log log.txt --listing /dev/null fuzz.qmlp </dev/null >/dev/null 2>&1");
        o.log = slurp(dir_ / "log.txt");
        return o;
    }

    // The invariants every run keeps.  A solve that ends UNSTABLE or
    // SINGULAR claims nothing, and says so with a WARNING, as an infeasible
    // one does: an ERROR always comes with an exit status that is not 0.
    static void expect_sound(const Outcome& o, const std::string& input) {
        EXPECT_NE(o.exit_status, kTimeoutExit) << "hung on\n" << input;
        EXPECT_LT(o.exit_status, kFirstSignalExit) << "crashed on\n" << input << o.log;
        EXPECT_GE(o.exit_status, 0) << input;
        if (o.exit_status == 0) {
            EXPECT_FALSE(contains(o.log, "ERROR")) << "exit 0 with an ERROR on\n" << input << o.log;
        }
    }

    static std::string objective_of(const std::string& status) {
        const size_t at = status.find("OBJECTIVE=");
        return at == std::string::npos ? "" : status.substr(at, status.find(' ', at) - at);
    }

    // STATUS=... OBJECTIVE=... of the last status line.
    static std::string last_status(const std::string& log) {
        const size_t at = log.rfind("STATUS=");
        if (at == std::string::npos) return "";
        return log.substr(at, log.find(" P_FEAS", at) - at);
    }

    // Mutated programs around the product mix.
    void fuzz_programs(int count, std::mt19937& rng) {
        write("pm.csv", kProductMix);
        const std::string base = "LP data=pm;\nVAR chairs tables desks;\nRHS _RHS_;\nRUN;\n%PUT &_QMLP_;\n";
        for (int k = 0; k < count && !HasFailure(); ++k) {
            const std::string program = k == 0 ? base : mutate_text(base, rng);
            expect_sound(run_program(program), program);
        }
    }

    // Mutated tables of the product mix in an SQLite database and, where
    // the values can be written as CSV, the same values in a CSV file: a
    // table that solves must solve as its CSV twin does.
    void fuzz_sqlite(int count, std::mt19937& rng) {
        const std::string db = (dir_ / "p.db").string();
        const auto base = cells_of(kProductMix.substr(0, kProductMix.size() - 1));
        for (int k = 0; k < count && !HasFailure(); ++k) {
            const auto rows = k == 0 ? base : mutate_cells(base, rng);
            std::string sql = "DROP TABLE IF EXISTS t; CREATE TABLE t(";
            for (size_t c = 0; c < rows[0].size(); ++c) sql += (c > 0 ? ", " : "") + rows[0][c];
            sql += ");";
            for (size_t r = 1; r < rows.size(); ++r) {
                sql += "INSERT INTO t VALUES(";
                for (size_t c = 0; c < rows[r].size(); ++c) sql += (c > 0 ? ", " : "") + sql_literal(rows[r][c]);
                sql += ");";
            }
            write("t.sql", sql);
            ASSERT_EQ(shell("sqlite3 " + quoted(db) + " <" + quoted((dir_ / "t.sql").string())), 0) << sql;
            const std::string input = csv_of(rows);
            const Outcome table = run_program("LIBNAME db SQLITE 'p.db';\nLP data=db.t;\nRUN;\n%PUT &_QMLP_;\n");
            expect_sound(table, input);
            const std::string status = last_status(table.log);
            if (!contains(status, "STATUS=SUCCESSFUL") || !csv_safe(rows)) continue;
            write("twin.csv", input);
            const Outcome twin = run_program("LP data=twin;\nRUN;\n%PUT &_QMLP_;\n");
            EXPECT_EQ(last_status(twin.log), status) << input << table.log << twin.log;
        }
    }

    // Mutated ACTIVEOUT data sets of a stopped search as the ACTIVEIN of the
    // next run: an optimum it reports is the true one.
    void fuzz_activein(int count, std::mt19937& rng) {
        std::string knapsack = "_ID_,_TYPE_";
        const int items = 12;
        for (int j = 0; j < items; ++j) knapsack += ",x" + std::to_string(j);
        knapsack += ",_RHS_\nvalue,MAX";
        for (int j = 0; j < items; ++j) knapsack += "," + std::to_string(10 + (j * 7) % 13);
        knapsack += ",.\nweight,LE";
        for (int j = 0; j < items; ++j) knapsack += "," + std::to_string(5 + (j * 5) % 11);
        knapsack += ",31\nbounds,UPPERBD";
        for (int j = 0; j < items; ++j) knapsack += ",1";
        knapsack += ",.\nwhole,INTEGER";
        for (int j = 0; j < items; ++j) knapsack += ",1";
        knapsack += ",.\n";
        write("k.csv", knapsack);
        const std::string optimum = last_status(run_program("LP data=k;\nRUN;\n%PUT &_QMLP_;\n").log);
        ASSERT_TRUE(contains(optimum, "STATUS=SUCCESSFUL")) << optimum;
        run_program("LP data=k imaxit=6 activeout=nodes;\nRUN;\n");
        const std::string nodes = slurp(dir_ / "nodes.csv");
        ASSERT_FALSE(nodes.empty());
        const auto base = cells_of(nodes.substr(0, nodes.size() - 1));
        for (int k = 0; k < count && !HasFailure(); ++k) {
            const auto rows = k == 0 ? base : mutate_cells(base, rng);
            const std::string input = csv_of(rows);
            write("resume.csv", input);
            const Outcome o = run_program("LP data=k activein=resume;\nRUN;\n%PUT &_QMLP_;\n");
            expect_sound(o, input);
            const std::string status = last_status(o.log);
            if (contains(status, "STATUS=SUCCESSFUL")) {
                EXPECT_EQ(objective_of(status), objective_of(optimum)) << input << o.log;
            }
        }
    }
};

class HostileFuzzMany : public HostileFuzz {};

TEST_F(HostileFuzz, ProgramFiles) {
    std::mt19937 rng(kSeed);
    fuzz_programs(runs(kQuickRuns), rng);
}

TEST_F(HostileFuzz, SqliteTables) {
    if (shell("command -v sqlite3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "the sqlite3 command is not installed";
    std::mt19937 rng(kSeed + 1);
    fuzz_sqlite(runs(kQuickRuns), rng);
}

TEST_F(HostileFuzz, ActiveinDataSets) {
    std::mt19937 rng(kSeed + 2);
    fuzz_activein(runs(kQuickRuns), rng);
}

TEST_F(HostileFuzzMany, ProgramFiles) {
    std::mt19937 rng(kSeed + 10);
    fuzz_programs(runs(kManyRuns), rng);
}

TEST_F(HostileFuzzMany, SqliteTables) {
    if (shell("command -v sqlite3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "the sqlite3 command is not installed";
    std::mt19937 rng(kSeed + 11);
    fuzz_sqlite(runs(kManyRuns), rng);
}

TEST_F(HostileFuzzMany, ActiveinDataSets) {
    std::mt19937 rng(kSeed + 12);
    fuzz_activein(runs(kManyRuns), rng);
}

}  // namespace
