// pause_print.cpp -- PRINT in a pause: the summaries of the current
// solution, with lists of columns and rows or a selection of columns.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "analysis/range_analysis.h"
#include "analysis/sensitivity.h"
#include "base/context_memory.h"
#include "base/host_link.h"
#include "control/look_snapshot.h"
#include "control/option_slots.h"
#include "control/pause.h"
#include "input/model_records.h"
#include "integer/branch_bound.h"
#include "integer/node_records.h"
#include "report/constraint_summary.h"
#include "report/solution_summary.h"
#include "report/tableau_matrix_views.h"
#include "report/variable_summary.h"
#include "simplex/pricing_vector.h"

namespace tymlp {
namespace {

constexpr int kMsgNothingToPrint = 333;
constexpr int kMsgUnknownName = 334;
constexpr int kMsgNotPrintable = 335;
constexpr int kMsgNoBest = 337;
constexpr int kMsgPauseRestores = 360;
constexpr int kMsgNoLookMemory = 361;
constexpr int32_t kFullRestore = -99999;  // every node is then read from its record in full

bool has_solution(const LpContext* ctx) { return ctx->form.value != nullptr && ctx->form.header != nullptr; }

bool all_digits(const char* s) {
    if (*s == '\0') return false;
    for (; *s != '\0'; ++s)
        if (!std::isdigit(static_cast<unsigned char>(*s))) return false;
    return true;
}

// Names compare over the stored length, the stored name blank padded;
// with `any_case` letters match regardless of case.
bool same_name(const char* stored, int length, const char* wanted, bool any_case) {
    const size_t n = std::strlen(wanted);
    if (n > static_cast<size_t>(length)) return false;
    for (size_t k = 0; k < n; ++k) {
        const auto a = static_cast<unsigned char>(stored[k]);
        const auto b = static_cast<unsigned char>(wanted[k]);
        if (a != b && (!any_case || std::tolower(a) != std::tolower(b))) return false;
    }
    for (int k = static_cast<int>(n); k < length; ++k)
        if (stored[k] != ' ' && stored[k] != '\0') return false;
    return true;
}

// The index of the column (0-based) or row (1 .. m-1) named or numbered by
// `item`, or -1.  Column numbers count from 1; row numbers are those of the
// constraint summary.  A name matches as written first and otherwise
// regardless of case, as the names of the variable lists do (data set
// variables are one name whatever their case).
int32_t find_index(LpContext* ctx, bool rows, const char* item) {
    const int32_t first = rows ? 1 : 0;
    const int32_t end = rows ? ctx->model.rows : ctx->model.columns;
    if (all_digits(item)) {
        const long number = std::strtol(item, nullptr, 10);
        const int32_t index = rows ? static_cast<int32_t>(number) : static_cast<int32_t>(number - 1);
        return index >= first && index < end ? index : -1;
    }
    char name[kMaxNameLength + 1];
    const int length = rows ? ctx->model.row_name_length : ctx->model.column_name_length;
    int32_t any_case = -1;
    for (int32_t k = first; k < end; ++k) {
        std::memset(name, 0, sizeof name);
        if (rows) {
            RowRecord rec;
            if (read_row(ctx, k, &rec, name) != 0) return -1;
        } else {
            ColumnRecord rec;
            if (read_column(ctx, k, &rec, name) != 0) return -1;
        }
        if (same_name(name, length, item, false)) return k;
        if (any_case < 0 && same_name(name, length, item, true)) any_case = k;
    }
    return any_case;
}

// The indexes a list names, in its order (a-b ranges in index order).
// Unknown names are said and left out.  Returns the count, or -1 without
// memory.
int32_t resolve_list(LpContext* ctx, bool rows, const TymList& list, int32_t** out) {
    const int32_t limit = rows ? ctx->model.rows : ctx->model.columns;
    int32_t* indexes = ctx_alloc_array<int32_t>(ctx, static_cast<int64_t>(list.count) * 2 + limit);
    if (indexes == nullptr) return -1;
    int32_t count = 0;
    for (int32_t i = 0; i < list.count; ++i) {
        const TymListItem& item = list.items[i];
        const int32_t a = find_index(ctx, rows, item.first);
        const int32_t b = item.last != nullptr ? find_index(ctx, rows, item.last) : a;
        if (a < 0 || b < 0) {
            const TymArg arg = arg_text(a < 0 ? item.first : item.last);
            host_message(kMsgUnknownName, 1, &arg);
            continue;
        }
        for (int32_t k = a <= b ? a : b; k <= (a <= b ? b : a) && count < limit + 2 * list.count; ++k)
            indexes[count++] = k;
    }
    *out = indexes;
    return count;
}

int selection_of(const TymParseRecord* rec) {
    struct Mode {
        int bit;
        int selection;
    };
    static const Mode kModes[] = {{kBitPrintInteger, kSelectInteger},
                                  {kBitPrintNoninteger, kSelectNonInteger},
                                  {kBitPrintNonzeros, kSelectNonZero},
                                  {kBitPrintZeros, kSelectZero},
                                  {kBitPrintIntegerNonzeros, kSelectIntegerNonZero},
                                  {kBitPrintIntegerZeros, kSelectIntegerZero},
                                  {kBitPrintNonintegerNonzeros, kSelectNonIntegerNonZero}};
    for (const Mode& m : kModes)
        if (tym_flag(rec, m.bit)) return m.selection;
    return 0;
}

void print_list(LpContext* ctx, bool rows, const TymList& list) {
    int32_t* indexes = nullptr;
    const int32_t count = list.count > 0 ? resolve_list(ctx, rows, list, &indexes) : 0;
    if (count < 0) return;
    if (list.count > 0 && count == 0) {
        ctx_free(ctx, indexes);
        return;
    }
    const int32_t* chosen = list.count > 0 ? indexes : nullptr;
    if (rows)
        print_constraint_summary(ctx, chosen, count);
    else
        print_variable_summary(ctx, chosen, count, kSelectAll);
    ctx_free(ctx, indexes);
}

// MATRIX or PICTURE with the COLUMN and ROW lists choosing its part.
void print_matrix_of(LpContext* ctx, const TymParseRecord* rec) {
    int32_t* column_list = nullptr;
    int32_t* row_list = nullptr;
    const TymList& cl = rec->lists[kListPrintColumns];
    const TymList& rl = rec->lists[kListPrintRows];
    const int32_t columns = cl.count > 0 ? resolve_list(ctx, false, cl, &column_list) : 0;
    const int32_t rows = rl.count > 0 ? resolve_list(ctx, true, rl, &row_list) : 0;
    if (columns >= 0 && rows >= 0) {
        const int mode = tym_flag(rec, kBitPrintPicture) ? kMatrixPicture : kMatrixNumbers;
        print_matrix(ctx, rl.count > 0 ? row_list : nullptr, rows, cl.count > 0 ? column_list : nullptr, columns, mode);
    }
    ctx_free(ctx, row_list);
    ctx_free(ctx, column_list);
}

// BEST: the best integer solution found so far, put in place from its node
// record; the look's snapshot puts the search's own state back afterwards.
// Without one, a NOTE.
void print_best(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (bb.incumbent == nullptr) {
        host_message(kMsgNoBest);
        return;
    }
    bb.iteration = kFullRestore;
    bb.parent_basis_in_memory = 0;
    if (restore_node(ctx, bb.incumbent) == 0) {
        print_solution_summary(ctx);
        print_variable_summary(ctx, nullptr, 0, kSelectAll);
    }
}

// The analyses of the optimal solution, as the LP options would ask for
// them; they refuse (with their message) a solution that is not optimal.
void print_analyses(LpContext* ctx, const TymParseRecord* rec) {
    LpOptions& o = ctx->options;
    const int16_t rangerhs = o.rangerhs;
    const int16_t rangeprice = o.rangeprice;
    o.rangerhs = static_cast<int16_t>(tym_flag(rec, kBitPrintRangerhs));
    o.rangeprice = static_cast<int16_t>(tym_flag(rec, kBitPrintRangeprice));
    if (o.rangerhs != 0) print_rhs_range_summary(ctx);
    if (o.rangeprice != 0) print_price_range_summary(ctx);
    o.rangerhs = rangerhs;
    o.rangeprice = rangeprice;
    if (tym_flag(rec, kBitPrintSensitivity)) {
        // The walks of a pause keep nothing: the run goes on from the basis
        // it stood on, whatever NOPARARESTORE asks of the final analyses.
        const bool walks = o.rhsphi != 0.0 || o.pricephi != 0.0;
        if (walks && o.pararestore == 0) host_message(kMsgPauseRestores);
        print_rhs_sensitivity(ctx);
        print_price_sensitivity(ctx);
    }
}

void print_views(LpContext* ctx, const TymParseRecord* rec);

}  // namespace

void print_requested(LpContext* ctx, const TymParseRecord* rec) {
    if (!has_solution(ctx)) {
        host_message(kMsgNothingToPrint);
        return;
    }
    // Looking leaves the run exactly as it was: the search that goes on
    // takes the same pivots as one that never looked.
    bool short_of_memory = false;
    LookSnapshot* snapshot = take_look_snapshot(ctx, &short_of_memory);
    if (short_of_memory) {
        host_message(kMsgNoLookMemory);
        return;
    }
    print_views(ctx, rec);
    if (restore_look_snapshot(ctx, snapshot) != 0) ctx->solver.run_status = kRunSingular;
}

namespace {

void print_views(LpContext* ctx, const TymParseRecord* rec) {
    // Between the iterations of a phase the prices may be a pivot behind
    // (reduced costs are updated in place); recomputing them is exact there.
    if (ctx->form.duals != nullptr) PricingVector(ctx);
    bool asked = false;
    if (tym_flag(rec, kBitPrintBest)) {
        print_best(ctx);
        asked = true;
    }
    if (tym_flag(rec, kBitPrintSensitivity) || tym_flag(rec, kBitPrintRangeprice) || tym_flag(rec, kBitPrintRangerhs)) {
        print_analyses(ctx, rec);
        asked = true;
    }
    const int selection = selection_of(rec);
    // With MATRIX or PICTURE the lists choose the part of the matrix shown.
    const bool matrix = tym_flag(rec, kBitPrintMatrix) != 0 || tym_flag(rec, kBitPrintPicture) != 0;
    const bool columns = !matrix && (tym_flag(rec, kBitPrintColumn) != 0 || rec->lists[kListPrintColumns].given != 0);
    const bool rows = !matrix && (tym_flag(rec, kBitPrintRow) != 0 || rec->lists[kListPrintRows].given != 0);
    const bool solution = tym_flag(rec, kBitPrintSolution) != 0;
    if (tym_flag(rec, kBitPrintTableau)) {
        print_current_tableau(ctx);
        asked = true;
    }
    if (matrix) {
        print_matrix_of(ctx, rec);
        asked = true;
    }
    if (!asked && !columns && !rows && !solution && selection == 0) {
        // PRINT alone: the three summaries of the current solution.
        print_solution_summary(ctx);
        print_variable_summary(ctx, nullptr, 0, kSelectAll);
        print_constraint_summary(ctx, nullptr, 0);
        return;
    }
    if (solution) print_solution_summary(ctx);
    if (selection != 0) print_variable_summary(ctx, nullptr, 0, selection);
    if (columns) print_list(ctx, false, rec->lists[kListPrintColumns]);
    if (rows) print_list(ctx, true, rec->lists[kListPrintRows]);
}

}  // namespace

}  // namespace tymlp
