// A library of SQLite tables end to end: the problem read from a table,
// the solution written as one, read back with the sqlite3 command; and a
// step over a database that cannot serve fails with exit status 5.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace e2e {
namespace {

constexpr int kExitIo = 5;

class SqliteLibrary : public ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        if (shell("command -v sqlite3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "the sqlite3 command is not installed";
        db_ = (dir_ / "model.db").string();
        ASSERT_EQ(sql("CREATE TABLE pm (_ID_ TEXT, _TYPE_ TEXT, chairs REAL, tables REAL, desks REAL, _RHS_ REAL);"
                      "INSERT INTO pm VALUES ('profit', 'MAX', 30, 50, 40, NULL), ('wood', 'LE', 2, 4, 3, 300),"
                      "('labour', 'LE', 4, 3, 5, 360), ('finishing', 'LE', 1, 2, 1, 120);"),
                  "");
    }
    // Runs SQL with the sqlite3 command; its output (CSV, no header).
    std::string sql(const std::string& statements) {
        const fs::path in = dir_ / "sql.in";
        const fs::path out = dir_ / "sql.txt";
        write("sql.in", statements + "\n");
        shell("sqlite3 -csv " + e2e::quoted(db_) + " <" + e2e::quoted(in.string()) + " >" + e2e::quoted(out.string()) +
              " 2>&1");
        return slurp(out);
    }
    std::string libname() { return "LIBNAME db SQLITE " + e2e::quoted(db_) + ";\n"; }
    std::string db_;
};

TEST_F(SqliteLibrary, TheProductMixSolutionLandsInATable) {
    const RunResult r = run(libname() + "LP data=db.pm primalout=db.sol;\nRUN;\n");
    ASSERT_EQ(r.exit_status, 0) << r.log;
    EXPECT_EQ(sql("SELECT _VAR_, round(_VALUE_, 6) FROM sol WHERE _VAR_ IN ('chairs', 'tables', 'desks') "
                  "ORDER BY _VAR_;"),
              "chairs,0.0\ndesks,51.428571\ntables,34.285714\n");
    EXPECT_EQ(sql("SELECT round(_VALUE_, 4) FROM sol WHERE _VAR_ = 'profit';"), "3771.4286\n");
    EXPECT_EQ(sql("SELECT typeof(_VALUE_), typeof(_VAR_) FROM sol LIMIT 1;"), "real,text\n");
    EXPECT_EQ(sql("SELECT label FROM _qmlp_labels WHERE data_set = 'sol' AND variable = '_VAR_';"),
              "\"Name of the variable or column.\"\n");
}

TEST_F(SqliteLibrary, AFailedStepKeepsTheEarlierTable) {
    ASSERT_EQ(run(libname() + "LP data=db.pm primalout=db.sol;\nRUN;\n").exit_status, 0);
    const std::string before = sql("SELECT * FROM sol;");
    const RunResult r = run(libname() + "LP data=db.nosuch primalout=db.sol;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitIo) << r.log;
    EXPECT_TRUE(contains(r.log, "ERROR: Data set DB.NOSUCH does not exist")) << r.log;
    EXPECT_EQ(sql("SELECT * FROM sol;"), before);
}

TEST_F(SqliteLibrary, AFileThatIsNotADatabaseFailsTheStep) {
    write("junk.db", std::string(4096, 'x'));
    const RunResult r =
        run("LIBNAME db SQLITE " + e2e::quoted((dir_ / "junk.db").string()) + ";\nLP data=db.pm;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitIo) << r.log;
    EXPECT_TRUE(contains(r.log, "file is not a database")) << r.log;
}

TEST_F(SqliteLibrary, AMixedColumnIsNamed) {
    sql("INSERT INTO pm VALUES ('extra', 'LE', 'lots', 1, 1, 10);");
    const RunResult r = run(libname() + "LP data=db.pm;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitIo) << r.log;
    EXPECT_TRUE(contains(r.log, "column chairs holds")) << r.log;
}

TEST_F(SqliteLibrary, AnUnknownEngineIsAProgramError) {
    const RunResult r = run("LIBNAME db ORACLE 'x';\n");
    EXPECT_EQ(r.exit_status, 2) << r.log;
    EXPECT_TRUE(contains(r.log, "The library engine ORACLE is not known")) << r.log;
}

}  // namespace
}  // namespace e2e
