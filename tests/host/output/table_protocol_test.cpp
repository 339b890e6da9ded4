// The table output protocol driven the way the procedure drives it, and the
// listing and JSON that come out of it.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>

#include "host_api.h"
#include "module_requests.h"
#include "output/output_session.h"
#include "output/table_objects.h"
#include "output_fixture.h"

namespace qmlp::host::output {
namespace {

using testing::create_data;
using testing::create_factoid;
using testing::define_column;
using testing::double_entry;
using testing::int_entry;
using testing::open_table;
using testing::OutputFiles;
using testing::Request;
using testing::root;
using testing::text_entry;

// Blank-padded copy into a module-style character buffer.
template <size_t N>
void put(char (&buf)[N], const char* s) {
    std::memset(buf, ' ', N);
    std::memcpy(buf, s, std::min(N, std::strlen(s)));
}

class TableProtocol : public OutputFiles {
  protected:
    void SetUp() override {
        OutputFiles::SetUp();
        output_step_begin(1, "LP");
    }

    // A problem summary as the procedure sends it.
    void problem_summary() {
        TymObject f = create_factoid(root(), "Qm.Lp.ProblemSummary", "ProblemSummary", "Problem Summary");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(text_entry(f, "Objective Function", "Max profit"), 0);
        EXPECT_EQ(text_entry(f, "RHS Variable", "_RHS_"), 0);
        EXPECT_EQ(double_entry(f, "Problem Density (%)", 62.5, 5, 2), 0);
        EXPECT_EQ(text_entry(f, " ", " "), 0);
        EXPECT_EQ(text_entry(f, "Variables", "Number"), 0);
        EXPECT_EQ(text_entry(f, " ", " "), 0);
        EXPECT_EQ(int_entry(f, "Non-negative", 3), 0);
        EXPECT_EQ(int_entry(f, "Slack", 2), 0);
        EXPECT_EQ(Request().send(f, TYM_REQ_END_ENTRIES), 0);
        EXPECT_EQ(Request().send(f, TYM_REQ_RELEASE), 0);
    }

    // A variable summary: eight steps of a data table.
    void variable_summary() {
        char col[6], name[8], status[8];
        double price = 0, activity = 0;
        int32_t count = 0;
        TymObject data = create_data(root(), "VariableSummaryData", "Variable Summary Data");
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(define_column(data, TYM_COL_CHAR, 6, "Col", col), 0);
        EXPECT_EQ(define_column(data, TYM_COL_CHAR, 8, "VarName", name), 0);
        EXPECT_EQ(define_column(data, TYM_COL_CHAR, 8, "Status", status), 0);
        EXPECT_EQ(define_column(data, TYM_COL_INT, 0, "Count", &count), 0);
        EXPECT_EQ(define_column(data, TYM_COL_DOUBLE, 0, "Price", &price), 0);
        EXPECT_EQ(define_column(data, TYM_COL_DOUBLE, 0, "Activity", &activity), 0);
        EXPECT_EQ(Request().send(data, TYM_REQ_END_COLUMNS), 0);
        TymObject table = open_table(data, "Qm.Lp.VariableSummary", "VariableSummary", "Variable Summary");
        ASSERT_NE(table, nullptr);
        struct Line {
            const char* col;
            const char* name;
            const char* status;
            int count;
            double price, activity;
        };
        const Line lines[] = {{"     1", "chairs", "BASIC", 2, 30, 1.0 / 3},
                              {"     2", "tables", "", -1, 12.5, 0},
                              {" *INF*", "desks", "UPPBD", 0, -0.0, missing_value('I')}};
        for (const Line& l : lines) {
            put(col, l.col);
            put(name, l.name);
            put(status, l.status);
            count = l.count;
            price = l.price;
            activity = l.activity;
            EXPECT_EQ(Request().send(table, TYM_REQ_EMIT_ROW), 0);
        }
        EXPECT_EQ(Request().send(table, TYM_REQ_END_ROWS), 0);
        EXPECT_EQ(Request().object(TYM_TAG_HANDLE, table).send(root(), TYM_REQ_CLOSE_TABLE), 0);
        EXPECT_EQ(Request().send(data, TYM_REQ_RELEASE), 0);
    }
};

TEST_F(TableProtocol, FactoidAndDataTableReachTheListing) {
    problem_summary();
    variable_summary();
    output_step_end();
    EXPECT_EQ(listing(),
              "Step 1: LP\n"
              "==========\n"
              "\n"
              "         Problem Summary\n"
              "\n"
              "Objective Function     Max profit\n"
              "RHS Variable                _RHS_\n"
              "Problem Density (%)         62.50\n"
              "\n"
              "Variables                  Number\n"
              "\n"
              "Non-negative                    3\n"
              "Slack                           2\n"
              "\n"
              "                 Variable Summary\n"
              "\n"
              "Col     VarName  Status  Count  Price      Activity\n"
              "------  -------  ------  -----  -----  ------------\n"
              "     1  chairs   BASIC       2     30  0.3333333333\n"
              "     2  tables              -1   12.5             0\n"
              " *INF*  desks    UPPBD       0      0            .I\n"
              "\n");
    EXPECT_EQ(log(), "");
}

TEST_F(TableProtocol, JsonHoldsEveryTableWithTypedColumns) {
    problem_summary();
    variable_summary();
    ASSERT_EQ(output_finish(), 0);
    const auto doc = nlohmann::json::parse(json());
    ASSERT_EQ(doc["tables"].size(), 2u);
    const auto& ps = doc["tables"][0];
    EXPECT_EQ(ps["kind"], "factoid");
    EXPECT_EQ(ps["name"], "ProblemSummary");
    EXPECT_EQ(ps["template"], "Qm.Lp.ProblemSummary");
    EXPECT_EQ(ps["label"], "Problem Summary");
    EXPECT_EQ(ps["step"], 1);
    EXPECT_EQ(ps["rows"][0], nlohmann::json::array({"Objective Function", "Max profit"}));
    EXPECT_EQ(ps["rows"][2][1], 62.5);
    EXPECT_EQ(ps["rows"].size(), 6u);  // spacers are layout, not data

    const auto& vs = doc["tables"][1];
    EXPECT_EQ(vs["kind"], "data");
    EXPECT_EQ(vs["data_object"]["name"], "VariableSummaryData");
    EXPECT_EQ(vs["group_path"], nlohmann::json::array());
    EXPECT_EQ(vs["columns"][0], (nlohmann::json{{"name", "Col"}, {"type", "character"}}));
    EXPECT_EQ(vs["columns"][3]["type"], "integer");
    EXPECT_EQ(vs["columns"][4]["type"], "double");
    EXPECT_EQ(vs["rows"][0][0], "1");
    EXPECT_EQ(vs["rows"][0][3], 2);
    EXPECT_DOUBLE_EQ(vs["rows"][0][5].get<double>(), 1.0 / 3);
    EXPECT_EQ(vs["rows"][1][2], "");
    EXPECT_EQ(vs["rows"][2][0], "*INF*");
    EXPECT_EQ(vs["rows"][2][4].dump(), "0.0");  // -0 is reported as 0
    EXPECT_EQ(vs["rows"][2][5], ".I");
    EXPECT_EQ(doc["steps"][0]["procedure"], "LP");
}

TEST_F(TableProtocol, SubtitleKeysAndGroups) {
    TymObject group = nullptr;
    ASSERT_EQ(Request()
                  .slot(TYM_TAG_SLOT, &group)
                  .text(TYM_TAG_NAME, "PriceSensitivityGroup")
                  .text(TYM_TAG_LABEL, "Price Sensitivity Analysis")
                  .send(root(), TYM_REQ_END_ENTRIES),
              0);
    ASSERT_NE(group, nullptr);
    TymObject f = create_factoid(root(), "Qm.Lp.SolutionSummary", "SolutionSummary", "Solution Summary");
    EXPECT_EQ(double_entry(f, "Objective Value", 1234.5), 0);
    EXPECT_EQ(Request()
                  .text(TYM_TAG_ENTRY_KEY, "SubTitles")
                  .text(TYM_TAG_ENTRY_TEXT, "/Phase 2/Optimal    ")
                  .send(f, TYM_REQ_ADD_ENTRY),
              0);
    EXPECT_EQ(
        Request().text(TYM_TAG_ENTRY_KEY, "RowName").text(TYM_TAG_ENTRY_TEXT, "cost").send(f, TYM_REQ_END_ENTRIES), 0);
    EXPECT_EQ(Request().send(group, TYM_REQ_RELEASE), 0);
    ASSERT_EQ(output_finish(), 0);
    EXPECT_EQ(listing(),
              "Step 1: LP\n"
              "==========\n"
              "\n"
              "Price Sensitivity Analysis\n"
              "--------------------------\n"
              "\n"
              "    Solution Summary\n"
              "    Phase 2 / Optimal\n"
              "RowName: cost\n"
              "\n"
              "Objective Value    1234.5\n"
              "\n");
    const auto doc = nlohmann::json::parse(json());
    EXPECT_EQ(doc["tables"][0]["group_path"], nlohmann::json::array({"PriceSensitivityGroup"}));
    EXPECT_EQ(doc["tables"][0]["subtitle"], "/Phase 2/Optimal");
    EXPECT_EQ(doc["tables"][0]["keys"][0]["value"], "cost");
}

TEST_F(TableProtocol, OneDataObjectServesSeveralTablesInNestedGroups) {
    double coefficient = 0;
    char name[4];
    // The connection the procedure opens: a manager, then an output object.
    TymObject manager = nullptr, out = nullptr;
    ASSERT_EQ(Request()
                  .text(TYM_TAG_FACILITY, "pvs")
                  .text(TYM_TAG_KIND, "manager")
                  .slot(TYM_TAG_SLOT, &manager)
                  .send(root(), TYM_REQ_CREATE),
              0);
    ASSERT_EQ(Request()
                  .text(TYM_TAG_FACILITY, "pvs")
                  .text(TYM_TAG_KIND, "output")
                  .slot(TYM_TAG_SLOT, &out)
                  .send(manager, TYM_REQ_CREATE),
              0);
    TymObject outer = nullptr, inner = nullptr;
    Request()
        .text(TYM_TAG_KIND, "group")
        .slot(TYM_TAG_SLOT, &outer)
        .text(TYM_TAG_NAME, "InfeasibleInformation")
        .text(TYM_TAG_LABEL, "Infeasible Constraints")
        .send(out, TYM_REQ_CREATE);
    TymObject data = create_data(out, "InfeasibleVariableData", "data");
    define_column(data, TYM_COL_CHAR, 4, "VarName", name);
    define_column(data, TYM_COL_DOUBLE, 0, "Coefficient", &coefficient);
    Request().send(data, TYM_REQ_END_COLUMNS);
    for (int row = 1; row <= 2; ++row) {
        Request()
            .text(TYM_TAG_KIND, "group")
            .slot(TYM_TAG_SLOT, &inner)
            .text(TYM_TAG_NAME, "Constraint")
            .text(TYM_TAG_LABEL, row == 1 ? "Constraint r1" : "Constraint r2")
            .send(outer, TYM_REQ_CREATE);
        // Slot and data object both in attribute 0, told apart by value type.
        TymObject table = nullptr;
        ASSERT_EQ(Request()
                      .slot(TYM_TAG_HANDLE, &table)
                      .object(TYM_TAG_HANDLE, data)
                      .text(TYM_TAG_TEMPLATE, "Qm.Lp.InfeasibilityActivity")
                      .text(TYM_TAG_NAME, "InfeasibilityActivity")
                      .text(TYM_TAG_LABEL, "Activity")
                      .send(out, TYM_REQ_OPEN_TABLE),
                  0);
        put(name, "x");
        coefficient = row;
        EXPECT_EQ(Request().send(data, TYM_REQ_EMIT_ROW), 0);  // rows may name the data object
        EXPECT_EQ(Request().integer(TYM_TAG_LOG_OPEN, 1).send(data, TYM_REQ_END_ROWS), 0);
        EXPECT_EQ(Request().object(TYM_TAG_HANDLE, table).send(out, TYM_REQ_CLOSE_TABLE), 0);
        EXPECT_EQ(Request().send(inner, TYM_REQ_RELEASE), 0);
    }
    EXPECT_EQ(Request().send(data, TYM_REQ_END_ROWS), 0);
    EXPECT_EQ(Request().send(outer, TYM_REQ_RELEASE), 0);
    EXPECT_EQ(Request().send(out, TYM_REQ_RELEASE), 0);
    EXPECT_EQ(Request().send(manager, TYM_REQ_RELEASE), 0);
    ASSERT_EQ(output_finish(), 0);
    EXPECT_EQ(log(), "");
    const auto doc = nlohmann::json::parse(json());
    ASSERT_EQ(doc["tables"].size(), 2u);
    EXPECT_EQ(doc["tables"][1]["group_path"], nlohmann::json::array({"InfeasibleInformation", "Constraint"}));
    EXPECT_EQ(doc["tables"][1]["group_labels"][1], "Constraint r2");
    EXPECT_EQ(doc["tables"][1]["rows"][0][1], 2);
    const std::string lst = listing();
    EXPECT_NE(lst.find("Infeasible Constraints\n----------------------\n\n  Constraint r1\n  -------------\n"),
              std::string::npos)
        << lst;
    EXPECT_NE(lst.find("  Constraint r2\n"), std::string::npos);
}

TEST_F(TableProtocol, MatrixRequestGivesALabelledTable) {
    // Two rows, three columns, values column after column.
    const double values[] = {missing_value('.'), 5, 1, 0.5, 2, 1e-12};
    const char rows[] = "R_COSTS x1      ";
    const char cols[] = "INV(B)*Rs1      s2      ";
    ASSERT_EQ(Request()
                  .text(TYM_TAG_HANDLE, "Qm.Lp.CurrentTableau")
                  .text(TYM_TAG_NAME, "CurrentTableau")
                  .text(TYM_TAG_LABEL, "Current Tableau")
                  .address(TYM_TAG_MATRIX_VALUES, values)
                  .integer(TYM_TAG_MATRIX_ROWS, 2)
                  .address(TYM_TAG_MATRIX_ROW_LABELS, rows)
                  .integer(TYM_TAG_MATRIX_ROW_LABEL_WIDTH, 8)
                  .integer(TYM_TAG_MATRIX_ROW_LABEL_WIDTH2, 8)
                  .integer(TYM_TAG_MATRIX_COLUMNS, 3)
                  .address(TYM_TAG_MATRIX_COLUMN_LABELS, cols)
                  .integer(TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH, 8)
                  .integer(TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH2, 8)
                  .text(TYM_TAG_MATRIX_FORMAT, "best9.")
                  .number(TYM_TAG_MATRIX_FUZZ, 1e-10)
                  .text(TYM_TAG_MATRIX_STYLE, "cb")
                  .integer(TYM_TAG_MATRIX_OPTION, 1)
                  .send(root(), TYM_REQ_RELEASE),
              0);
    ASSERT_EQ(output_finish(), 0);
    EXPECT_EQ(listing(),
              "Step 1: LP\n"
              "==========\n"
              "\n"
              "     Current Tableau\n"
              "\n"
              "         INV(B)*R   s1  s2\n"
              "-------  --------  ---  --\n"
              "R_COSTS         .    1   2\n"
              "x1              5  0.5   0\n"
              "\n");
    const auto doc = nlohmann::json::parse(json());
    EXPECT_EQ(doc["tables"][0]["kind"], "matrix");
    EXPECT_EQ(doc["tables"][0]["rows"][0], nlohmann::json::parse(R"(["R_COSTS", ".", 1.0, 2.0])"));
}

TEST_F(TableProtocol, LongTablesStreamIntoTheListingBeforeTheyClose) {
    int32_t iteration = 0;
    TymObject data = create_data(root(), "IterationData", "Iteration Log Data");
    define_column(data, TYM_COL_INT, 0, "Iteration", &iteration);
    Request().send(data, TYM_REQ_END_COLUMNS);
    TymObject table = open_table(data, "Qm.Lp.IterationLog", "IterationLog", "Iteration Log");
    for (iteration = 1; iteration <= static_cast<int32_t>(kLiveRowThreshold) + 5; ++iteration)
        Request().send(table, TYM_REQ_EMIT_ROW);
    const std::string partial = listing();
    EXPECT_NE(partial.find("Iteration Log"), std::string::npos);
    EXPECT_NE(partial.find("\n       205\n"), std::string::npos) << partial;
    // A flush writes what arrived since.
    Request().send(table, TYM_REQ_EMIT_ROW);
    output_flush();
    EXPECT_NE(listing().find("\n       206\n"), std::string::npos);
    Request().integer(TYM_TAG_LOG_OPEN, 1).send(table, TYM_REQ_END_ROWS);
    Request().send(table, TYM_REQ_CLOSE_TABLE);
    ASSERT_EQ(output_finish(), 0);
    const std::string all = listing();
    EXPECT_EQ(all.find("Iteration Log"), all.rfind("Iteration Log"));  // the title is written once
    // JSON still has every row.
    EXPECT_EQ(nlohmann::json::parse(json())["tables"][0]["rows"].size(), kLiveRowThreshold + 6);
}

TEST_F(TableProtocol, ColumnsCutFromOneLineByOffset) {
    // A picture row: the row name, then two characters per matrix column,
    // all taken from one text line by offset.
    char line[10];
    TymObject data = create_data(root(), "MatrixPictureData", "Matrix Picture Data");
    ASSERT_EQ(define_column(data, TYM_COL_CHAR, 4, "RowName", line), 0);
    for (int j = 0; j < 3; ++j) {
        const char* names[] = {"x1", "x2", "x3"};
        ASSERT_EQ(Request()
                      .text(TYM_TAG_NAME, names[j])
                      .text(TYM_TAG_LABEL, names[j])
                      .integer(TYM_TAG_ENTRY_WIDTH, 2)
                      .text(TYM_TAG_TEMPLATE, "VarName")
                      .integer(TYM_TAG_COLUMN_OFFSET, 4 + 2 * j)
                      .integer(TYM_TAG_COLUMN_TYPE, TYM_COL_CHAR)
                      .send(data, TYM_REQ_DEFINE_COLUMN),
                  0);
    }
    Request().send(data, TYM_REQ_END_COLUMNS);
    TymObject table = open_table(data, "Qm.Lp.MatrixPicture", "MatrixPicture", "Matrix Picture");
    std::memcpy(line, "r1   1-TA ", 10);
    Request().send(table, TYM_REQ_EMIT_ROW);
    std::memcpy(line, "r2  -B   Z", 10);
    Request().send(table, TYM_REQ_EMIT_ROW);
    Request().send(table, TYM_REQ_CLOSE_TABLE);
    ASSERT_EQ(output_finish(), 0);
    EXPECT_NE(listing().find("RowName  x1  x2  x3\n"
                             "-------  --  --  --\n"
                             "r1        1  -T  A\n"
                             "r2       -B       Z\n"),
              std::string::npos)
        << listing();
}

TEST_F(TableProtocol, WideTablesSplitIntoPanelsThatRepeatTheLabelColumn) {
    char name[32];
    double values[12];
    TymObject data = create_data(root(), "WideData", "Wide");
    define_column(data, TYM_COL_CHAR, 32, "VarName", name);
    const char* names[] = {"MinimumPrice01", "MinimumPrice02", "MinimumPrice03", "MinimumPrice04",
                           "MinimumPrice05", "MinimumPrice06", "MinimumPrice07", "MinimumPrice08",
                           "MinimumPrice09", "MinimumPrice10", "MinimumPrice11", "MinimumPrice12"};
    for (int k = 0; k < 12; ++k) define_column(data, TYM_COL_DOUBLE, 0, names[k], &values[k]);
    Request().send(data, TYM_REQ_END_COLUMNS);
    TymObject table = open_table(data, "t", "Wide", "A Wide Table");
    put(name, "a_rather_long_column_name_of_32c");
    for (int k = 0; k < 12; ++k) values[k] = 1.0 / (k + 3);
    Request().send(table, TYM_REQ_EMIT_ROW);
    Request().send(table, TYM_REQ_CLOSE_TABLE);
    ASSERT_EQ(output_finish(), 0);
    const std::string lst = listing();
    size_t longest = 0, start = 0;
    while (start < lst.size()) {
        const size_t nl = lst.find('\n', start);
        longest = std::max(longest, nl - start);
        start = nl + 1;
    }
    EXPECT_LE(longest, kListingLineWidth);
    // The name column heads every panel; every column appears once.
    size_t panels = 0;
    for (size_t at = lst.find("VarName"); at != std::string::npos; at = lst.find("VarName", at + 1)) ++panels;
    EXPECT_GE(panels, 2u);
    for (const char* n : names) EXPECT_EQ(lst.find(n), lst.rfind(n)) << n;
    EXPECT_NE(lst.find("a_rather_long_column_name_of_32c  "), std::string::npos);
}

// An iteration log with long names: the phase and the marked iteration
// count head the second panel, so its numbers stay attributable.
TEST_F(TableProtocol, WidePanelsRepeatTheLeadingColumnsUpToTheFirstName) {
    int32_t phase = 2;
    char iteration[9];
    char enter[32], leave[32];
    double cost = 0, objective = 0;
    TymObject data = create_data(root(), "IterationData", "Iteration Log Data");
    define_column(data, TYM_COL_INT, 0, "Phase", &phase);
    define_column(data, TYM_COL_CHAR, 9, "Iteration", iteration);
    define_column(data, TYM_COL_CHAR, 32, "EnterVar", enter);
    define_column(data, TYM_COL_CHAR, 32, "LeaveVar", leave);
    define_column(data, TYM_COL_DOUBLE, 0, "ReducedCost", &cost);
    define_column(data, TYM_COL_DOUBLE, 0, "ObjValue", &objective);
    define_column(data, TYM_COL_DOUBLE, 0, "Spare", &objective);
    Request().send(data, TYM_REQ_END_COLUMNS);
    TymObject table = open_table(data, "Qm.Lp.IterationLog", "IterationLog", "Iteration Log");
    std::memcpy(iteration, "M      10", 9);
    put(enter, "production_of_large_oak_desks_xx");
    put(leave, "wood_available_in_cubic_metres__");
    cost = 27.5;
    objective = 3771.4285714285716;
    Request().send(table, TYM_REQ_EMIT_ROW);
    Request().send(table, TYM_REQ_CLOSE_TABLE);
    ASSERT_EQ(output_finish(), 0);
    const std::string lst = listing();
    size_t heads = 0;
    for (size_t at = lst.find("Phase  Iteration"); at != std::string::npos; at = lst.find("Phase  Iteration", at + 1))
        ++heads;
    EXPECT_EQ(heads, 2u) << lst;
    EXPECT_NE(lst.find("    2  M      10  3771.4285714"), std::string::npos) << lst;
}

TEST_F(TableProtocol, MisuseIsRefusedWithANegativeResult) {
    double value = 0;
    int bogus_storage = 0;
    TymObject bogus = reinterpret_cast<TymObject>(&bogus_storage);
    EXPECT_EQ(Request().send(bogus, TYM_REQ_EMIT_ROW), kBadHandle);
    EXPECT_EQ(Request().send(nullptr, TYM_REQ_RELEASE), kBadHandle);
    EXPECT_EQ(Request().send(root(), 999), kBadRequest);
    EXPECT_EQ(Request().integer(4242, 1).send(root(), TYM_REQ_RELEASE), kBadAttribute);
    EXPECT_EQ(table_vector()->request(root(), TYM_REQ_CREATE, 2, nullptr), kBadAttribute);
    EXPECT_EQ(table_vector()->request(root(), TYM_REQ_CREATE, -1, nullptr), kBadAttribute);

    TymObject data = create_data(root(), "D", "d");
    ASSERT_NE(data, nullptr);
    // Emit before the columns are ended and before a table is open.
    EXPECT_EQ(define_column(data, TYM_COL_DOUBLE, 0, "v", &value), 0);
    EXPECT_EQ(Request().send(data, TYM_REQ_EMIT_ROW), kBadSequence);
    EXPECT_EQ(open_table(data, "t", "T", "T"), nullptr);
    // A name given as an integer, a character column without width or buffer.
    EXPECT_EQ(Request().integer(TYM_TAG_COLUMN_TYPE, 5).integer(TYM_TAG_NAME, 1).send(data, TYM_REQ_DEFINE_COLUMN),
              kBadAttribute);
    EXPECT_EQ(define_column(data, TYM_COL_CHAR, 0, "c", &value), kBadAttribute);
    EXPECT_EQ(define_column(data, 4, 0, "c", &value), kBadAttribute);
    EXPECT_EQ(Request().integer(TYM_TAG_COLUMN_TYPE, 5).text(TYM_TAG_NAME, "w").send(root(), TYM_REQ_DEFINE_COLUMN),
              kBadRequest);
    EXPECT_EQ(Request().send(data, TYM_REQ_END_COLUMNS), 0);
    EXPECT_EQ(Request().send(data, TYM_REQ_END_COLUMNS), kBadSequence);
    EXPECT_EQ(define_column(data, TYM_COL_DOUBLE, 0, "late", &value), kBadSequence);
    EXPECT_EQ(Request().send(data, TYM_REQ_EMIT_ROW), kBadSequence);  // still no table

    TymObject table = open_table(data, "t", "T", "T");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(Request().send(table, TYM_REQ_EMIT_ROW), 0);
    EXPECT_EQ(Request().send(table, TYM_REQ_ADD_ENTRY), kBadRequest);
    EXPECT_EQ(Request().send(table, TYM_REQ_END_ROWS), 0);
    EXPECT_EQ(Request().send(table, TYM_REQ_EMIT_ROW), kBadSequence);
    EXPECT_EQ(Request().send(table, TYM_REQ_CLOSE_TABLE), 0);
    EXPECT_EQ(Request().send(table, TYM_REQ_EMIT_ROW), kBadHandle);  // a forgotten handle

    // Objects need a slot and a known kind; the facility is "pvs".
    EXPECT_EQ(Request().text(TYM_TAG_KIND, "data").text(TYM_TAG_NAME, "x").send(root(), TYM_REQ_CREATE),
              kMissingAttribute);
    TymObject made = nullptr;
    EXPECT_EQ(Request().text(TYM_TAG_KIND, "chart").slot(TYM_TAG_SLOT, &made).send(root(), TYM_REQ_CREATE),
              kBadAttribute);
    EXPECT_EQ(Request()
                  .text(TYM_TAG_FACILITY, "xyz")
                  .text(TYM_TAG_KIND, "data")
                  .slot(TYM_TAG_SLOT, &made)
                  .text(TYM_TAG_NAME, "x")
                  .send(root(), TYM_REQ_CREATE),
              kBadAttribute);
    EXPECT_EQ(made, nullptr);

    // A factoid takes no entries after its end.
    TymObject f = create_factoid(root(), "t", "F", "F");
    EXPECT_EQ(Request().send(f, TYM_REQ_END_ENTRIES), 0);
    EXPECT_EQ(text_entry(f, "a", "b"), kBadSequence);
    EXPECT_EQ(Request().send(f, TYM_REQ_EMIT_ROW), kBadRequest);

    // A matrix whose labels are shorter than announced.
    const double values[] = {1, 2};
    EXPECT_EQ(Request()
                  .address(TYM_TAG_MATRIX_VALUES, values)
                  .integer(TYM_TAG_MATRIX_ROWS, 2)
                  .integer(TYM_TAG_MATRIX_COLUMNS, 1)
                  .text(TYM_TAG_MATRIX_ROW_LABELS, "ab")
                  .integer(TYM_TAG_MATRIX_ROW_LABEL_WIDTH, 8)
                  .send(root(), TYM_REQ_RELEASE),
              kBadAttribute);

    // Handles do not outlive their step, nor a new configuration.
    output_step_end();
    output_step_begin(2, "LP");
    EXPECT_EQ(Request().send(data, TYM_REQ_RELEASE), kBadHandle);
    TymObject late = create_factoid(root(), "t", "F", "F");
    ASSERT_NE(late, nullptr);
    const std::string before = log();
    output_configure(config_);
    EXPECT_EQ(text_entry(late, "a", "b"), kBadHandle);

    // Every refusal was explained in the log.
    EXPECT_NE(before.find("ERROR: Table output request emit row (329) failed: no table is open"), std::string::npos);
}

TEST_F(TableProtocol, TablesLeftOpenAtTheEndOfAStepAreStillListed) {
    double v = 7;
    TymObject data = create_data(root(), "D", "d");
    define_column(data, TYM_COL_DOUBLE, 0, "Value", &v);
    Request().send(data, TYM_REQ_END_COLUMNS);
    TymObject table = open_table(data, "t", "T", "Left Open");
    Request().send(table, TYM_REQ_EMIT_ROW);
    TymObject f = create_factoid(root(), "t", "F", "Unfinished");
    int_entry(f, "Count", 4);
    output_step_end();
    const std::string lst = listing();
    EXPECT_NE(lst.find("Left Open"), std::string::npos);
    EXPECT_NE(lst.find("Value\n-----\n    7\n"), std::string::npos) << lst;
    EXPECT_NE(lst.find("Count    4"), std::string::npos) << lst;
}

}  // namespace
}  // namespace qmlp::host::output
