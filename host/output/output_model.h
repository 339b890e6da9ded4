// output_model.h -- the run's output as the renderers see it: steps hold
// groups and tables; a table is a data table, a factoid (label/value
// entries) or a labelled matrix.  The request protocol (table_protocol.cpp)
// builds it; the listing, JSON and HTML writers only read it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qmlp::host::output {

enum class ColumnType { Integer, Double, Character };

// One value of a table.  Doubles may be the host's missing values.
struct Cell {
    enum class Kind { Empty, Integer, Double, Text };
    Kind kind = Kind::Empty;
    int64_t i = 0;
    double d = 0.0;
    std::string s;

    static Cell integer(int64_t v) {
        Cell c;
        c.kind = Kind::Integer;
        c.i = v;
        return c;
    }
    static Cell number(double v) {
        Cell c;
        c.kind = Kind::Double;
        c.d = v;
        return c;
    }
    static Cell text(std::string v) {
        Cell c;
        c.kind = Kind::Text;
        c.s = std::move(v);
        return c;
    }
};

// Field width of numbers in listings unless a table says otherwise.
constexpr int kDefaultNumberWidth = 12;

struct Column {
    std::string name;
    std::string label;
    ColumnType type = ColumnType::Double;
    int width = 0;      // characters of a character column; best-format width of a number (0 = default)
    int decimals = -1;  // fixed decimals of a number (-1 = best format)
};

struct Group {
    int id = 0;
    std::string name;
    std::string label;
    const Group* parent = nullptr;
};

enum class TableKind { Data, Factoid, Matrix };

struct FactoidEntry {
    std::string label;
    Cell value;
    int width = 0;      // 0 = default
    int decimals = -1;  // -1 = best format
};

struct Table {
    int id = 0;  // unique within the run; also the order of creation
    TableKind kind = TableKind::Data;
    int step = 0;
    std::string name;
    std::string template_path;
    std::string label;
    std::string data_name;  // data object behind a data table
    std::string data_label;
    std::string subtitle;
    std::string note;                                       // shown under the table (matrix remarks)
    std::vector<const Group*> groups;                       // outermost first
    std::vector<std::pair<std::string, std::string>> keys;  // by-group keys, keyed entries
    std::vector<Column> columns;                            // data and matrix tables
    std::vector<std::vector<Cell>> rows;
    std::vector<FactoidEntry> entries;  // factoids
    bool complete = false;
    uint64_t row_count = 0;  // rows ever added (rows may be dropped once listed)

    // Listing state: once a table is "live" its layout is fixed and its
    // rows are written as they arrive.
    bool live = false;
    bool listed = false;
    uint64_t rows_listed = 0;
    std::vector<size_t> live_widths;
    int64_t opened_ms = 0;
};

struct Step {
    int number = 0;
    std::string procedure;
    std::vector<std::unique_ptr<Group>> groups;
    std::vector<std::unique_ptr<Table>> tables;
};

struct Document {
    std::vector<std::unique_ptr<Step>> steps;
};

}  // namespace qmlp::host::output
