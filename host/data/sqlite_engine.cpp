// sqlite_engine.cpp -- data sets as tables of an SQLite database.
//
// Types.  A column is numeric when its values are INTEGER or REAL (NULL and
// the missing-value codes below allowed among them), character when they are
// TEXT.  A column that holds both numbers and other text, or any BLOB, is an
// error that names it: a stray text among numbers is far more likely a
// mistake than data.  A column of only NULLs and codes is numeric unless its
// declared type gives it TEXT affinity (CHAR, CLOB, TEXT).  A character
// variable is as long as its longest value, unless the declared type gives a
// length (CHAR(20), VARCHAR(20)), which then cuts longer values as "$N" does
// in a CSV file.
//
// Missing values.  The ordinary missing value "." is stored as NULL; a
// special one (.A to .Z, ._, with .I and .M for the infinities) as the TEXT
// ".A" ... "._".  A numeric column reads NULL, an empty TEXT and these TEXT
// codes as missing values, so every missing value round-trips exactly and
// stays readable in any SQLite client.
//
// Labels.  Variable labels are kept in the table _qmlp_labels (data_set,
// variable, label), replaced together with the data set's table.
//
// Output.  Observations go to a TEMP table of the writer's own connection,
// which holds no lock on the database while the step runs.  Commit copies
// them in one IMMEDIATE transaction that drops the earlier table, creates
// the new one and replaces its labels: the table changes completely or not
// at all, and a data set that is not committed leaves the database as it
// was.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "data/csv_scanner.h"
#include "data/csv_schema.h"
#include "data/csv_text.h"
#include "data/csv_value.h"
#include "data/data_log.h"
#include "data/data_status.h"
#include "data/engine.h"
#include "data/names.h"
#include "host_api.h"

namespace qmlp::host::data {
namespace {

constexpr const char* kLabelsTable = "_qmlp_labels";
constexpr const char* kStageTable = "temp.qmlp_stage";
constexpr int kStageBatch = 8192;  // observations per staging transaction

int g_busy_timeout_ms = 5000;

struct Connection {
    sqlite3* db = nullptr;
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() {
        if (db != nullptr) sqlite3_close_v2(db);
    }
};

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(stmt); }
};

bool exists(const std::string& path, struct stat* st) { return stat(path.c_str(), st) == 0; }

std::string quote_name(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// What SQLite said, in words a user can act on.
std::string why(sqlite3* db, int rc) {
    const int primary = rc & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return "the database is locked by another connection (waited " + std::to_string(g_busy_timeout_ms) + " ms)";
    if (db == nullptr) return sqlite3_errstr(rc);
    return sqlite3_errmsg(db);
}

// Opens the database; SQLITE_OK or the failure code.
int open_database(const std::string& path, int flags, Connection& c) {
    const int rc = sqlite3_open_v2(path.c_str(), &c.db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) return rc;
    sqlite3_extended_result_codes(c.db, 1);
    sqlite3_busy_timeout(c.db, g_busy_timeout_ms);
    return SQLITE_OK;
}

int run(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }

// The schema entry of `table` (any case): its type ("table", "view", ...)
// and exact name.  SQLITE_OK with an empty type when there is none.
int find_table(sqlite3* db, const std::string& table, std::string& type, std::string& name) {
    Statement q;
    int rc = sqlite3_prepare_v2(db, "SELECT type, name FROM main.sqlite_master WHERE lower(name) = lower(?1)", -1,
                                &q.stmt, nullptr);
    if (rc != SQLITE_OK) return rc;
    sqlite3_bind_text(q.stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    type.clear();
    name.clear();
    rc = sqlite3_step(q.stmt);
    if (rc == SQLITE_ROW) {
        type = reinterpret_cast<const char*>(sqlite3_column_text(q.stmt, 0));
        name = reinterpret_cast<const char*>(sqlite3_column_text(q.stmt, 1));
        return SQLITE_OK;
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// ---------------------------------------------------------------- input

// The declared type of a column: whether it has TEXT affinity and the
// length it gives ("CHAR(20)"), 0 when none.
struct Declared {
    bool text = false;
    int length = 0;
};

Declared declared_type(const char* decl) {
    Declared d;
    if (decl == nullptr) return d;
    const std::string upper = to_upper(decl);
    if (upper.find("INT") != std::string::npos) return d;  // INTEGER affinity comes first
    d.text = upper.find("CHAR") != std::string::npos || upper.find("CLOB") != std::string::npos ||
             upper.find("TEXT") != std::string::npos;
    const size_t open = upper.find('(');
    if (d.text && open != std::string::npos) {
        const long n = std::strtol(upper.c_str() + open + 1, nullptr, 10);
        if (n >= 1 && n <= kMaxCharLength) d.length = static_cast<int>(n);
    }
    return d;
}

// What the values of one column have shown.
struct Evidence {
    int64_t numbers = 0;
    int64_t texts = 0;  // TEXT values that are not missing-value codes
    int64_t first_text_obs = 0;
    std::string first_text;
    int64_t blob_obs = 0;
    size_t longest = 0;
    LongValues long_values;
};

bool is_missing_code(const unsigned char* text, int bytes, double* value) {
    return classify_value(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes)), value) ==
           ValueClass::Missing;
}

class SqliteReader final : public InputReader {
  public:
    int open(const DataFile& file) {
        file_ = file;
        struct stat st;
        if (!exists(file.file, &st)) {
            data_error("Data set " + file.display + " does not exist (no database file " + file.file + ").");
            return kIoFailure;
        }
        if (!S_ISREG(st.st_mode)) {
            data_error("Data set " + file.display + " cannot be opened: " + file.file + " is not a file.");
            return kIoFailure;
        }
        int rc = open_database(file.file, SQLITE_OPEN_READONLY, conn_);
        if (rc != SQLITE_OK) return fail(rc);
        std::string type, name;
        rc = find_table(conn_.db, file.table, type, name);
        if (rc != SQLITE_OK) return fail(rc);
        if (type.empty()) {
            data_error("Data set " + file.display + " does not exist (no table " + file.table + " in the database " +
                       file.file + ").");
            return kIoFailure;
        }
        if (type != "table" && type != "view") {
            data_error("Data set " + file.display + " cannot be read: " + name + " in the database " + file.file +
                       " is an " + type + ", not a table.");
            return kIoFailure;
        }
        file_.table = name;
        rc = sqlite3_prepare_v2(conn_.db, ("SELECT * FROM main." + quote_name(name)).c_str(), -1, &select_.stmt,
                                nullptr);
        if (rc != SQLITE_OK) return fail(rc);
        if (describe() < 0) return kBadData;
        return scan();
    }

    int next() override {
        const int rc = sqlite3_step(select_.stmt);
        if (rc == SQLITE_DONE) {
            sqlite3_reset(select_.stmt);  // ends the read transaction
            return 1;
        }
        if (rc != SQLITE_ROW) {
            sqlite3_reset(select_.stmt);
            return fail(rc);
        }
        ++observation_;
        for (size_t v = 0; v < vars_.size(); ++v) {
            const int col = static_cast<int>(v);
            const int kind = sqlite3_column_type(select_.stmt, col);
            if (vars_[v].type == TYM_VAR_CHAR) {
                const unsigned char* t = kind == SQLITE_NULL ? nullptr : sqlite3_column_text(select_.stmt, col);
                const int n = sqlite3_column_bytes(select_.stmt, col);
                texts_[v] = t == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(t), n);
                if (const char* why = text_rule_broken(texts_[v]); why != nullptr) {
                    sqlite3_reset(select_.stmt);
                    return bad_text(observation_, v, why);
                }
                continue;
            }
            if (kind == SQLITE_NULL) {
                numbers_[v] = missing_value('.');
            } else if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) {
                numbers_[v] = sqlite3_column_double(select_.stmt, col);
            } else if (kind != SQLITE_TEXT || !is_missing_code(sqlite3_column_text(select_.stmt, col),
                                                               sqlite3_column_bytes(select_.stmt, col), &numbers_[v])) {
                sqlite3_reset(select_.stmt);
                return bad_data("observation " + std::to_string(observation_) + ": the value of the numeric variable " +
                                vars_[v].name + " is not a number (the table changed while it was read?)");
            }
        }
        return 0;
    }

    double number(size_t var) const override { return numbers_[var]; }
    std::string_view text(size_t var) const override { return texts_[var]; }
    int rewind() override {
        sqlite3_reset(select_.stmt);
        observation_ = 0;
        return kOk;
    }

  private:
    int fail(int rc) {
        data_error("Data set " + file_.display + " cannot be read: database " + file_.file + ": " + why(conn_.db, rc) +
                   ".");
        return kIoFailure;
    }

    int bad_text(int64_t obs, size_t var, const char* why) {
        return bad_data("observation " + std::to_string(obs) + ": the value of column " + vars_[var].name + " " + why);
    }

    int bad_data(const std::string& what) {
        data_error("Data set " + file_.display + " cannot be read: table " + file_.table + " in " + file_.file + ", " +
                   what + ".");
        return kBadData;
    }

    // The variables from the columns: names as given, checked as a CSV
    // header's are.
    int describe() {
        const int count = sqlite3_column_count(select_.stmt);
        for (int c = 0; c < count; ++c) {
            const char* raw = sqlite3_column_name(select_.stmt, c);
            const std::string name = raw == nullptr ? "" : raw;
            if (!is_valid_name(name))
                return bad_data("the column name \"" + printable_text(name) +
                                "\" is not a valid variable name (1 to 32 letters, digits or underscores, not "
                                "starting with a digit)");
            for (const VarSpec& other : vars_)
                if (equal_ignore_case(other.name, name))
                    return bad_data("the column name \"" + name + "\" appears twice");
            VarSpec var_def;
            var_def.name = name;
            const Declared d = declared_type(sqlite3_column_decltype(select_.stmt, c));
            declared_.push_back(d);
            if (d.length > 0) {
                var_def.type = TYM_VAR_CHAR;
                var_def.length = d.length;
                var_def.declared = true;
            }
            vars_.push_back(std::move(var_def));
        }
        numbers_.assign(vars_.size(), 0.0);
        texts_.assign(vars_.size(), std::string_view());
        return kOk;
    }

    // One pass over the table settles each column's type and length.
    int scan() {
        std::vector<Evidence> evidence(vars_.size());
        int64_t obs = 0;
        for (;;) {
            const int rc = sqlite3_step(select_.stmt);
            if (rc == SQLITE_DONE) break;
            if (rc != SQLITE_ROW) {
                sqlite3_reset(select_.stmt);
                return fail(rc);
            }
            ++obs;
            for (size_t v = 0; v < vars_.size(); ++v) {
                const int col = static_cast<int>(v);
                Evidence& e = evidence[v];
                switch (sqlite3_column_type(select_.stmt, col)) {
                    case SQLITE_NULL: break;
                    case SQLITE_INTEGER:
                    case SQLITE_FLOAT: ++e.numbers; break;
                    case SQLITE_BLOB:
                        if (e.blob_obs == 0) e.blob_obs = obs;
                        break;
                    default: {
                        const unsigned char* t = sqlite3_column_text(select_.stmt, col);
                        const std::string_view text(reinterpret_cast<const char*>(t),
                                                    static_cast<size_t>(sqlite3_column_bytes(select_.stmt, col)));
                        // The text rules of the CSV files hold here too: a
                        // zero byte would cut a name short, other bytes
                        // would reach the reports raw.
                        if (const char* why = text_rule_broken(text); why != nullptr) {
                            sqlite3_reset(select_.stmt);
                            return bad_text(obs, v, why);
                        }
                        e.longest = std::max(e.longest, trim_right_blanks(text).size());
                        if (vars_[v].declared) note_declared_length(vars_[v], e.long_values, text, obs);
                        double ignored;
                        if (classify_value(text, &ignored) == ValueClass::Missing) break;
                        if (e.texts++ == 0) {
                            e.first_text_obs = obs;
                            e.first_text = std::string(text);
                        }
                    }
                }
            }
        }
        sqlite3_reset(select_.stmt);
        for (size_t v = 0; v < vars_.size(); ++v) {
            VarSpec& var_def = vars_[v];
            const Evidence& e = evidence[v];
            const std::string where = "column " + var_def.name;
            if (e.blob_obs != 0)
                return bad_data(where + " holds a BLOB at observation " + std::to_string(e.blob_obs) +
                                "; a column holds numbers or text");
            if (e.numbers > 0 && e.texts > 0)
                return bad_data(where + " holds both numbers and text (observation " +
                                std::to_string(e.first_text_obs) + " has \"" + printable_text(e.first_text) +
                                "\"); a numeric column may hold only numbers, NULL and the missing-value codes "
                                "\".\", \".A\" to \".Z\" and \"._\"");
            if (var_def.declared) continue;
            if (e.texts > 0 || (e.numbers == 0 && declared_[v].text)) {
                var_def.type = TYM_VAR_CHAR;
                var_def.length = static_cast<int>(std::clamp<size_t>(e.longest, 1, kMaxCharLength));
            } else {
                var_def.type = TYM_VAR_NUMERIC;
                var_def.length = kNumericLength;
            }
        }
        return kOk;
    }

    DataFile file_;
    Connection conn_;
    Statement select_;
    std::vector<Declared> declared_;
    std::vector<double> numbers_;
    std::vector<std::string_view> texts_;
    int64_t observation_ = 0;
};

// ---------------------------------------------------------------- output

class SqliteWriter final : public OutputWriter {
  public:
    ~SqliteWriter() override {
        sqlite3_finalize(insert_.stmt);
        insert_.stmt = nullptr;
        if (conn_.db != nullptr) {
            sqlite3_close_v2(conn_.db);
            conn_.db = nullptr;
        }
        // A database this writer brought into being stays only with data.
        struct stat st;
        if (!committed_ && created_file_ && exists(file_.file, &st) && st.st_size == 0) unlink(file_.file.c_str());
    }

    int create(const DataFile& file) {
        file_ = file;
        if (equal_ignore_case(file.table, kLabelsTable)) {
            data_error("Data set " + file.display + " cannot be created: the table " + kLabelsTable +
                       " holds the variable labels of the database.");
            return kBadArgument;
        }
        struct stat st;
        if (exists(file.file, &st) && !S_ISREG(st.st_mode)) {
            data_error("Data set " + file.display + " cannot be created: " + file.file + " is not a file.");
            return kIoFailure;
        }
        created_file_ = !exists(file.file, &st);
        int rc = open_database(file.file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, conn_);
        if (rc != SQLITE_OK) return fail("cannot be created", rc);
        // Whether the database can take the table at all, said now rather
        // than after the step has done its work.
        rc = run(conn_.db, "BEGIN IMMEDIATE");
        if (rc != SQLITE_OK) return fail("cannot be created", rc);
        rc = check_target();
        run(conn_.db, "ROLLBACK");
        return rc;
    }

    int start(const std::vector<OutputVar>& vars) override {
        columns_ = "(";
        for (size_t v = 0; v < vars.size(); ++v) {
            if (v > 0) columns_ += ", ";
            columns_ += quote_name(vars[v].name);
            columns_ += vars[v].type == TYM_VAR_CHAR ? " CHAR(" + std::to_string(vars[v].length) + ")" : " REAL";
        }
        columns_ += ")";
        int rc = run(conn_.db, std::string("CREATE TEMP TABLE ") + kStageTable + " " + columns_);
        if (rc != SQLITE_OK) return fail("cannot be written", rc);
        std::string sql = std::string("INSERT INTO ") + kStageTable + " VALUES (";
        for (size_t v = 0; v < vars.size(); ++v) sql += v == 0 ? "?" : ", ?";
        sql += ")";
        rc = sqlite3_prepare_v2(conn_.db, sql.c_str(), -1, &insert_.stmt, nullptr);
        if (rc != SQLITE_OK) return fail("cannot be written", rc);
        return kOk;
    }

    int write(const std::vector<OutputVar>& vars) override {
        if (batch_ == 0) {
            const int rc = run(conn_.db, "BEGIN");
            if (rc != SQLITE_OK) return fail("cannot be written", rc);
        }
        for (size_t v = 0; v < vars.size(); ++v) {
            const OutputVar& var = vars[v];
            const int p = static_cast<int>(v) + 1;
            if (var.type == TYM_VAR_CHAR) {
                const std::string text = clean_utf8(
                    std::string_view(static_cast<const char*>(var.address), static_cast<size_t>(var.length)));
                sqlite3_bind_text(insert_.stmt, p, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
                continue;
            }
            double value;
            std::memcpy(&value, var.address, sizeof value);
            const int letter = missing_letter(value);
            if (letter == 0) {
                sqlite3_bind_double(insert_.stmt, p, value);
            } else if (letter == '.') {
                sqlite3_bind_null(insert_.stmt, p);
            } else {
                const char code[2] = {'.', static_cast<char>(letter)};
                sqlite3_bind_text(insert_.stmt, p, code, 2, SQLITE_TRANSIENT);
            }
        }
        const int rc = sqlite3_step(insert_.stmt);
        sqlite3_reset(insert_.stmt);
        if (rc != SQLITE_DONE) return fail("cannot be written", rc);
        if (++batch_ >= kStageBatch) return end_batch();
        return kOk;
    }

    int commit(const std::vector<OutputVar>& vars) override {
        if (end_batch() < 0) return kIoFailure;
        int rc = run(conn_.db, "BEGIN IMMEDIATE");
        if (rc != SQLITE_OK) return fail("cannot be written", rc);
        rc = check_target();
        if (rc == kOk) rc = replace_table(vars);
        if (rc == kOk) {
            const int done = run(conn_.db, "COMMIT");
            if (done != SQLITE_OK) rc = fail("cannot be written", done);
        }
        if (rc != kOk) {
            run(conn_.db, "ROLLBACK");
            return rc;
        }
        committed_ = true;
        return kOk;
    }

  private:
    int fail(const char* what, int rc) {
        data_error("Data set " + file_.display + " " + what + ": database " + file_.file + ": " + why(conn_.db, rc) +
                   ".");
        return kIoFailure;
    }

    // An existing object of the member's name must be a table to be replaced.
    int check_target() {
        std::string type, name;
        const int rc = find_table(conn_.db, file_.table, type, name);
        if (rc != SQLITE_OK) return fail("cannot be created", rc);
        if (!type.empty() && type != "table") {
            data_error("Data set " + file_.display + " cannot be created: " + name + " in the database " + file_.file +
                       " is a " + type + ", which is not replaced.");
            return kIoFailure;
        }
        return kOk;
    }

    int end_batch() {
        if (batch_ == 0) return kOk;
        batch_ = 0;
        const int rc = run(conn_.db, "COMMIT");
        return rc == SQLITE_OK ? kOk : fail("cannot be written", rc);
    }

    int replace_table(const std::vector<OutputVar>& vars) {
        if (insert_.stmt == nullptr) {
            const int rc = start(vars);
            if (rc < 0) return rc;
        }
        const std::string table = "main." + quote_name(file_.table);
        for (const std::string& sql : {"DROP TABLE IF EXISTS " + table, "CREATE TABLE " + table + " " + columns_,
                                       "INSERT INTO " + table + " SELECT * FROM " + kStageTable}) {
            const int rc = run(conn_.db, sql);
            if (rc != SQLITE_OK) return fail("cannot be written", rc);
        }
        return replace_labels(vars);
    }

    int replace_labels(const std::vector<OutputVar>& vars) {
        const bool any = std::any_of(vars.begin(), vars.end(), [](const OutputVar& v) { return !v.label.empty(); });
        std::string type, name;
        int rc = find_table(conn_.db, kLabelsTable, type, name);
        if (rc != SQLITE_OK) return fail("cannot be written", rc);
        if (!any && type.empty()) return kOk;
        if (any && type.empty()) {
            rc = run(conn_.db, std::string("CREATE TABLE main.") + kLabelsTable +
                                   " (data_set TEXT NOT NULL, variable TEXT NOT NULL, label TEXT NOT NULL, "
                                   "PRIMARY KEY (data_set, variable))");
            if (rc != SQLITE_OK) return fail("cannot be written", rc);
        }
        Statement del, add;
        rc = sqlite3_prepare_v2(
            conn_.db, (std::string("DELETE FROM main.") + kLabelsTable + " WHERE lower(data_set) = ?1").c_str(), -1,
            &del.stmt, nullptr);
        if (rc != SQLITE_OK) return fail("cannot be written", rc);
        sqlite3_bind_text(del.stmt, 1, file_.table.c_str(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(del.stmt);
        if (rc != SQLITE_DONE) return fail("cannot be written", rc);
        rc = sqlite3_prepare_v2(conn_.db,
                                (std::string("INSERT INTO main.") + kLabelsTable + " VALUES (?1, ?2, ?3)").c_str(), -1,
                                &add.stmt, nullptr);
        if (rc != SQLITE_OK) return fail("cannot be written", rc);
        for (const OutputVar& var : vars) {
            if (var.label.empty()) continue;
            sqlite3_reset(add.stmt);
            const std::string label = clean_utf8(var.label);
            sqlite3_bind_text(add.stmt, 1, file_.table.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(add.stmt, 2, var.name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(add.stmt, 3, label.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(add.stmt);
            if (rc != SQLITE_DONE) return fail("cannot be written", rc);
        }
        return kOk;
    }

    DataFile file_;
    Connection conn_;
    Statement insert_;
    std::string columns_;  // "(name TYPE, ...)"
    int batch_ = 0;        // observations in the open staging transaction
    bool created_file_ = false;
    bool committed_ = false;
};

}  // namespace

std::unique_ptr<InputReader> open_sqlite_input(const DataFile& file) {
    auto reader = std::make_unique<SqliteReader>();
    if (reader->open(file) < 0) return nullptr;
    return reader;
}

std::unique_ptr<OutputWriter> create_sqlite_output(const DataFile& file) {
    auto writer = std::make_unique<SqliteWriter>();
    if (writer->create(file) < 0) return nullptr;
    return writer;
}

void set_sqlite_busy_timeout(int milliseconds) { g_busy_timeout_ms = std::max(milliseconds, 0); }

bool sqlite_path_usable(const std::string& path, std::string* reason) {
    struct stat st;
    if (exists(path, &st)) {
        if (S_ISREG(st.st_mode)) return true;
        *reason = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a file";
        return false;
    }
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, std::max<size_t>(slash, 1));
    if (!exists(folder, &st) || !S_ISDIR(st.st_mode)) {
        *reason = "the folder " + folder + " does not exist";
        return false;
    }
    return true;
}

}  // namespace qmlp::host::data
