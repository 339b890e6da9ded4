// What only an SQLite library does: column types from storage classes,
// missing-value codes, labels in their table, and databases that cannot
// serve (not a database, locked, corrupt) refused with an ERROR.
#include <sqlite3.h>

#include <cstring>

#include "data/data_internal.h"
#include "data/engine.h"
#include "data_fixture.h"

namespace datatest {
namespace {

using qmlp::host::missing_letter;

class SqliteEngine : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        db_ = (dir_ / "t.db").string();
        qmlp::host::data::set_sqlite_busy_timeout(50);
        ASSERT_TRUE(qmlp::host::libname_assign_engine("t", "SQLITE", db_)) << errors();
    }
    void TearDown() override {
        qmlp::host::data::set_sqlite_busy_timeout(5000);
        DataTest::TearDown();
    }
    // Runs SQL on the database; the first result column of each row,
    // joined by "|".
    std::string sql(const std::string& statements) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(db_.c_str(), &db), SQLITE_OK);
        std::string rows;
        char* message = nullptr;
        const int rc = sqlite3_exec(
            db, statements.c_str(),
            [](void* out, int, char** values, char**) {
                auto* text = static_cast<std::string*>(out);
                if (!text->empty()) *text += "|";
                *text += values[0] == nullptr ? "NULL" : values[0];
                return 0;
            },
            &rows, &message);
        EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
        sqlite3_free(message);
        sqlite3_close(db);
        return rows;
    }
    TymDataIn open(const std::string& member) {
        TymDataRef r = ref("t", member);
        return in_->open(&r);
    }
    std::string db_;
};

TEST_F(SqliteEngine, MissingValueCodesAmongNumbersAreMissingValues) {
    sql("CREATE TABLE m (x REAL); INSERT INTO m VALUES (1.5), (NULL), ('.I'), ('.m'), (''), (7);");
    TymDataIn in = open("m");
    ASSERT_NE(in, nullptr) << errors();
    int type = 0;
    in_->var_info(in, 1, nullptr, &type, nullptr);
    EXPECT_EQ(type, TYM_VAR_NUMERIC);
    double x;
    in_->bind(in, 1, &x, 8);
    std::string seen;
    while (in_->read_next(in) == 0) seen += missing_letter(x) ? static_cast<char>(missing_letter(x)) : 'n';
    EXPECT_EQ(seen, "n.IM.n");
    in_->close(in);
}

TEST_F(SqliteEngine, TypesFollowTheStorageClassesAndTheDeclaration) {
    sql("CREATE TABLE t (a, b TEXT, c, d VARCHAR(4), e INTEGER);"
        "INSERT INTO t VALUES (NULL, NULL, 'x', 'abcdefg', 3), (NULL, NULL, 'longer', 'ab', NULL);");
    TymDataIn in = open("t");
    ASSERT_NE(in, nullptr) << errors();
    const int want_type[] = {TYM_VAR_NUMERIC, TYM_VAR_CHAR, TYM_VAR_CHAR, TYM_VAR_CHAR, TYM_VAR_NUMERIC};
    const int want_length[] = {8, 1, 6, 4, 8};
    for (int v = 1; v <= 5; ++v) {
        int type = 0, length = 0;
        ASSERT_EQ(in_->var_info(in, v, nullptr, &type, &length), 0);
        EXPECT_EQ(type, want_type[v - 1]) << v;
        EXPECT_EQ(length, want_length[v - 1]) << v;
    }
    // The declared length cuts, and says so.
    EXPECT_EQ(in_->var_findings(in, 4), TYM_FOUND_CUT);
    EXPECT_NE(log_.back().text.find("observation 1 of table t"), std::string::npos) << log_.back().text;
    char d[6];
    in_->bind(in, 4, d, sizeof d);
    ASSERT_EQ(in_->read_next(in), 0);
    EXPECT_EQ(std::string(d, sizeof d), "abcd  ");
    in_->close(in);
}

TEST_F(SqliteEngine, AColumnOfNumbersAndTextOrABlobIsAnErrorNamingIt) {
    sql("CREATE TABLE mixed (ok REAL, bad); INSERT INTO mixed VALUES (1, 2), (2, 'two');"
        "CREATE TABLE blob (ok REAL, b); INSERT INTO blob VALUES (1, x'00ff');");
    EXPECT_EQ(open("mixed"), nullptr);
    EXPECT_NE(errors().find("column bad holds both numbers and text (observation 2 has \"two\")"), std::string::npos)
        << errors();
    EXPECT_EQ(open("blob"), nullptr);
    EXPECT_NE(errors().find("column b holds a BLOB at observation 1"), std::string::npos) << errors();
    EXPECT_EQ(qmlp::host::data::open_input_count(), 0);
}

TEST_F(SqliteEngine, BadColumnNamesAreRefusedAsInAHeader) {
    sql("CREATE TABLE n (\"my col\" REAL); INSERT INTO n VALUES (1);");
    EXPECT_EQ(open("n"), nullptr);
    EXPECT_NE(errors().find("\"my col\" is not a valid variable name"), std::string::npos) << errors();
}

TEST_F(SqliteEngine, LabelsAreKeptAndReplacedWithTheirTable) {
    double x = 1;
    for (const char* label : {"First", ""}) {
        TymDataRef r = ref("t", "lab");
        TymDataOut out = out_->create(&r, 1);
        ASSERT_NE(out, nullptr) << errors();
        out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, label, &x);
        out_->write(out);
        ASSERT_EQ(out_->close(out, 1), 0) << errors();
        EXPECT_EQ(sql("SELECT count(*) FROM _qmlp_labels WHERE data_set = 'lab';"), *label ? "1" : "0");
    }
    TymDataRef r = ref("t", "_QMLP_labels");
    EXPECT_EQ(out_->create(&r, 1), nullptr);
    EXPECT_NE(errors().find("holds the variable labels"), std::string::npos);
}

TEST_F(SqliteEngine, TheWriterHoldsNoLockUntilItCommits) {
    sql("CREATE TABLE other (v REAL);");
    TymDataRef r = ref("t", "busy");
    TymDataOut out = out_->create(&r, 1);
    ASSERT_NE(out, nullptr) << errors();
    double x = 0;
    out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, "", &x);
    for (int i = 0; i < 20000; ++i) {  // spans staging transactions
        x = i;
        ASSERT_EQ(out_->write(out), 0);
    }
    // Another connection writes meanwhile, and sees no half-written table.
    EXPECT_EQ(sql("BEGIN EXCLUSIVE; INSERT INTO other VALUES (1); COMMIT;"
                  "SELECT count(*) FROM sqlite_master WHERE name = 'busy';"),
              "0");
    ASSERT_EQ(out_->close(out, 1), 0) << errors();
    EXPECT_EQ(sql("SELECT count(*) || ',' || sum(x) FROM busy;"), "20000,199990000.0");
}

TEST_F(SqliteEngine, ALockedDatabaseIsRefusedAndKeepsItsTable) {
    sql("CREATE TABLE k (x REAL); INSERT INTO k VALUES (42);");
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(db_.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(open("k"), nullptr);
    EXPECT_NE(errors().find("locked"), std::string::npos) << errors();
    TymDataRef r = ref("t", "k");
    EXPECT_EQ(out_->create(&r, 1), nullptr);
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);

    // Locked between create and commit: the commit fails, the table stays.
    TymDataOut out = out_->create(&r, 1);
    ASSERT_NE(out, nullptr) << errors();
    double x = 7;
    out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, "", &x);
    out_->write(out);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_LT(out_->close(out, 1), 0);
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(sql("SELECT x FROM k;"), "42.0");
}

TEST_F(SqliteEngine, AFileThatIsNotADatabaseOrIsCorruptIsRefused) {
    write_file(db_, std::string(8192, 'z'));
    EXPECT_EQ(open("m"), nullptr);
    TymDataRef r = ref("t", "m");
    EXPECT_EQ(out_->create(&r, 1), nullptr);
    EXPECT_NE(errors().find("file is not a database"), std::string::npos) << errors();
    EXPECT_EQ(read_file(db_), std::string(8192, 'z'));

    // A real database whose table pages are overwritten.
    fs::remove(db_);
    sql("CREATE TABLE c (x REAL, y TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
        "3000) INSERT INTO c SELECT i, 'row ' || i FROM n;");
    std::string bytes = read_file(db_);
    ASSERT_GT(bytes.size(), 16384u);
    for (size_t i = 4096 + 8; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xA5 ^ (i * 7));
    write_file(db_, bytes);
    TymDataIn in = open("c");
    if (in != nullptr) {
        int rc = 0;
        while ((rc = in_->read_next(in)) == 0) {}
        EXPECT_LT(rc, 0);
        in_->close(in);
    }
    EXPECT_NE(errors().find("Data set T.C cannot be read"), std::string::npos) << errors();
}

TEST_F(SqliteEngine, AnUncommittedOutputLeavesNoNewDatabase) {
    TymDataRef r = ref("t", "fresh");
    TymDataOut out = out_->create(&r, 1);
    ASSERT_NE(out, nullptr) << errors();
    double x = 1;
    out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, "", &x);
    out_->write(out);
    out_->close(out, 0);
    EXPECT_FALSE(fs::exists(db_));
}

TEST_F(SqliteEngine, LibnameRefusesWhatCannotServe) {
    EXPECT_FALSE(qmlp::host::libname_assign_engine("d", "SQLITE", (dir_ / "no" / "x.db").string()));
    EXPECT_FALSE(qmlp::host::libname_assign_engine("d", "SQLITE", dir_.string()));
    EXPECT_FALSE(qmlp::host::libname_assign_engine("d", "PARQUET", db_));
    EXPECT_NE(errors().find("the engines are CSV and SQLITE"), std::string::npos) << errors();
    EXPECT_TRUE(qmlp::host::libname_assign_engine("d", "csv", dir_.string()));
}

}  // namespace
}  // namespace datatest
