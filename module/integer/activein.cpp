// activein.cpp -- the ACTIVEIN reader.
//
// The data set is input like any other: every value is checked against the
// problem before it is used, and nothing in it can make the search skip
// part of the problem.  The incumbent's value (and so the cutoff) comes
// from its linear program as solved here, never from the file.  A node's
// bound comes from the continuous optimum, which bounds every node, so that
// an edited node value cannot prune anything; its basis is the continuous
// optimum's too, which is dual feasible for any bounds of the node, so that
// the dual phase solves it soundly.  A section whose count or check value
// does not match is refused as a whole: lost or altered nodes would lose
// part of the search without a trace.
#include "integer/activein.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "input/reader_vars.h"
#include "integer/active_check.h"
#include "integer/active_names.h"
#include "integer/adopt_incumbent.h"
#include "integer/branch_bound.h"
#include "integer/node_records.h"
#include "integer/node_store.h"

namespace tymlp {
namespace {

constexpr int kMsgMissingVariable = 191;
constexpr int kMsgMissingColumn = 192;
constexpr int kMsgNotBetter = 193;
constexpr int kMsgReplacesIncumbent = 194;
constexpr int kMsgLpFailed = 196;
constexpr int kMsgBadActiveIn = 392;
constexpr int kMsgNoNodeCount = 393;
constexpr int kMsgNotIncumbent = 395;
constexpr int kReadObservation = 0;
constexpr int64_t kMostIntegerIterations = 2147483646;
constexpr int kDetailRoom = 200;

enum Field { kObjId, kRhsId, kStatus, kProb, kObject, kSinfea, kProjec, kPseudo, kNodes, kCheck, kFieldCount };
constexpr int kRequiredFields = kNodes;  // _NODES_ and _CHECK_ are absent from older data sets
const char* const kNames[kFieldCount] = {"_OBJ_ID_", "_RHS_ID_", "_STATUS_", "_PROB_",  "_OBJECT_",
                                         "_SINFEA_", "_PROJEC_", "_PSEUDO_", "_NODES_", "_CHECK_"};

enum class Word { kIntBest, kLowerBound, kUpperBound, kUnknown };

// One section: an INTBEST observation and the node pairs after it.
struct Section {
    bool open = false;
    int64_t declared = 0;  // _NODES_ of the INTBEST observation
    int64_t pairs = 0;     // pairs read so far
    ActiveCheck check;
};

struct ActiveIn {
    TymDataIn ds;
    char text[3][kMaxNameLength + 1];  // _OBJ_ID_, _RHS_ID_, _STATUS_
    double number[kFieldCount];        // the numeric fields by Field
    bool counted;                      // _NODES_ and _CHECK_ are in the data set
    double* values;                    // one per integer variable
    ActiveName* names;                 // their variable names
    int32_t count;                     // integer variables
    // The root's bounds of each integer variable (the user's units) and its
    // value: what every node and integer solution must lie within.
    double* root_lower;
    double* root_upper;
    double root_z;
    // A LOWERBD observation waiting for its UPPERBD: its stamp, place and bounds.
    bool waiting;
    int64_t waiting_stamp;
    double waiting_place;
    double* waiting_lower;
    Section section;
    bool any_node;     // a node pair of this combination was read
    bool any_intbest;  // an INTBEST observation of this combination was read
    bool from_root;    // the nodes alone do not cover what is left: the root is searched again
    std::vector<int32_t> stamps;
    int64_t observation;  // observations read, for the messages
};

int trimmed(const char* s, int width) {
    while (width > 0 && (s[width - 1] == ' ' || s[width - 1] == '\0')) --width;
    return width;
}

bool same(const char* field, int width, const char* name, int name_width) {
    const int a = trimmed(field, width);
    const int b = trimmed(name, name_width);
    return a == b && std::memcmp(field, name, static_cast<size_t>(a)) == 0;
}

bool is_missing(double v) { return host_missing_kind(v) != 0 || std::isnan(v); }

// Reports what makes the data set unusable; the result is bad data.
int refuse(const ActiveIn& in, const char* what) {
    char text[3 * kDetailRoom];
    const int length =
        std::snprintf(text, sizeof text, "observation %lld: %s", static_cast<long long>(in.observation), what);
    const TymArg arg = arg_text(text, length < static_cast<int>(sizeof text) ? length : -1);
    host_message(kMsgBadActiveIn, 1, &arg);
    return kRunBadData;
}

int refuse_column(const ActiveIn& in, const char* what, int k) {
    char text[2 * kDetailRoom];
    std::snprintf(text, sizeof text, "%.*s of %s", kDetailRoom, what, in.names[k].text);
    return refuse(in, text);
}

int bind(LpContext* ctx, ActiveIn& in) {
    for (int k = 0; k < kFieldCount; ++k) {
        DataVar var{};
        const bool text = k <= kStatus;
        if (!find_data_var(in.ds, kNames[k], &var) || text != (var.type == TYM_VAR_CHAR)) {
            if (k >= kRequiredFields) {
                in.counted = false;
                continue;
            }
            host_message(kMsgMissingVariable);
            return kRunBadData;
        }
        const int length = text ? (var.length < kMaxNameLength ? var.length : kMaxNameLength) : 8;
        void* field = text ? static_cast<void*>(in.text[k]) : static_cast<void*>(&in.number[k]);
        if (host_data_bind(in.ds, var.number, field, length) != 0) return kRunIo;
    }
    const int32_t n = in.count > 0 ? in.count : 1;
    in.values = ctx_alloc_array<double>(ctx, n, TYM_ALLOC_STEP_ZERO);
    in.root_lower = ctx_alloc_array<double>(ctx, n, TYM_ALLOC_STEP_ZERO);
    in.root_upper = ctx_alloc_array<double>(ctx, n, TYM_ALLOC_STEP_ZERO);
    in.waiting_lower = ctx_alloc_array<double>(ctx, n, TYM_ALLOC_STEP_ZERO);
    in.names = ctx_alloc_array<ActiveName>(ctx, n, TYM_ALLOC_STEP_ZERO);
    if (in.values == nullptr || in.root_lower == nullptr || in.root_upper == nullptr || in.waiting_lower == nullptr ||
        in.names == nullptr)
        return kRunMemory;
    const ActiveName* names = in.names;
    int rc = active_variable_names(ctx, in.names);
    for (int k = 0; k < in.count && rc == 0; ++k) {
        const int length = static_cast<int>(std::strlen(names[k].text));
        DataVar var{};
        if (!find_data_var(in.ds, names[k].text, &var) || var.type != TYM_VAR_NUMERIC) {
            const TymArg args[] = {arg_int(length), arg_text(names[k].text, length)};
            host_message(kMsgMissingColumn, 2, args);
            rc = kRunBadData;
        } else if (host_data_bind(in.ds, var.number, &in.values[k], 8) != 0) {
            rc = kRunIo;
        }
    }
    return rc;
}

// The root's bounds and value, from the root node's record (current now).
void note_root(LpContext* ctx, ActiveIn& in) {
    const ComputationalForm& f = ctx->form;
    int k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        const int32_t j = v->column;
        in.root_lower[k] = f.lower[j] / f.column_scale[j];
        in.root_upper[k] = f.upper[j] / f.column_scale[j];
    }
    in.root_z = ctx->bb.root->bound;
}

Word status_word(const char* field) {
    const int length = trimmed(field, kMaxNameLength);
    if (length != 7) return Word::kUnknown;
    if (std::memcmp(field, "INTBEST", 7) == 0) return Word::kIntBest;
    if (std::memcmp(field, "LOWERBD", 7) == 0) return Word::kLowerBound;
    if (std::memcmp(field, "UPPERBD", 7) == 0) return Word::kUpperBound;
    return Word::kUnknown;
}

// A whole number within [least, most], or an error text.
const char* whole_number(double v, double least, double most, int64_t* out) {
    if (is_missing(v) || !std::isfinite(v)) return "is missing or not a number";
    if (v != std::floor(v)) return "is not a whole number";
    if (v < least || v > most) return "is out of range";
    *out = static_cast<int64_t>(v);
    return nullptr;
}

// Checks one bound of a node against the root's bounds [lo, up] of its
// column and puts the bound it stands for into *out: the root's own bound
// (also INFINITY written short), or a whole number inside the root's bounds.
const char* node_bound(const LpContext* ctx, double v, double lo, double up, bool lower, double* out) {
    const double inf = ctx->options.infinity;
    const double ieps = ctx->options.iepsilon;
    if (std::isnan(v) || (is_missing(v) && host_missing_kind(v) == 0)) return "is missing";
    const double root = lower ? lo : up;
    if (is_infinite_bound(root, inf) && is_infinite_bound(v, inf) && (v > 0) == (root > 0)) {
        *out = root;
        return nullptr;
    }
    if (is_missing(v) || is_infinite_bound(v, inf)) return "is missing or infinite where the column is bounded";
    const double r = std::nearbyint(v);
    if (std::fabs(v - r) > ieps) return "is not a whole number";
    if (r < lo - ieps || r > up + ieps) return "lies outside the column's bounds";
    *out = lower ? std::fmax(r, lo) : std::fmin(r, up);
    return nullptr;
}

// The node bounds of one observation into out[0 .. count), checked.
int node_bounds(const LpContext* ctx, const ActiveIn& in, bool lower, double* out) {
    for (int k = 0; k < in.count; ++k) {
        const char* fault = node_bound(ctx, in.values[k], in.root_lower[k], in.root_upper[k], lower, &out[k]);
        if (fault != nullptr) {
            char what[kDetailRoom];
            std::snprintf(what, sizeof what, "the node's %s bound %s", lower ? "lower" : "upper", fault);
            return refuse_column(in, what, k);
        }
    }
    return 0;
}

// A key of the node lists (projection, estimate): any finite number, or
// the node's bound when the file has none.
double ordering_key(double v, double fallback) { return is_missing(v) || !std::isfinite(v) ? fallback : v; }

// The best integer solution of the earlier run: checked against the
// problem, its integer columns fixed, its LP solved; it becomes the
// incumbent with the value solved here.
int take_incumbent(LpContext* ctx, ActiveIn& in) {
    BbState& bb = ctx->bb;
    const double ieps = ctx->options.iepsilon;
    for (int k = 0; k < in.count; ++k) {
        const double v = in.values[k];
        if (is_missing(v) || !std::isfinite(v)) return refuse_column(in, "the integer solution's value", k);
        if (std::fabs(v - std::nearbyint(v)) > ieps)
            return refuse_column(in, "the integer solution's value (not a whole number)", k);
        if (v < in.root_lower[k] - ieps || v > in.root_upper[k] + ieps)
            return refuse_column(in, "the integer solution's value (outside the column's bounds)", k);
    }
    const bool had_incumbent = bb.incumbent != nullptr;
    ActiveNode* node = allocate_node(ctx);
    node->projection = node->estimate = node->error = 0.0;
    node->infeasibility = 0.0;
    Adoption adoption = Adoption::kFailed;
    int rc = adopt_integer_solution(ctx, in.values, node, true, &adoption);
    const int restored = restore_root_node(ctx);
    if (rc != 0) return rc;
    if (restored != 0) return restored;
    switch (adoption) {
        case Adoption::kFailed: host_message(kMsgLpFailed); return kRunBadData;
        case Adoption::kNotKept: {
            // The earlier search pruned nodes by this solution's value: without
            // it those nodes are missing, so the search covers the whole
            // problem again.
            const TymArg arg = arg_text("its solution does not keep the special ordered sets or does not hold");
            host_message(kMsgNotIncumbent, 1, &arg);
            in.from_root = true;
            return 0;
        }
        case Adoption::kCutOff:
            if (had_incumbent) host_message(kMsgNotBetter);
            return 0;
        case Adoption::kAdopted:
            if (had_incumbent)
                host_message(kMsgReplacesIncumbent);
            else
                ++bb.feasible_count;
            return 0;
    }
    return 0;
}

// One node: its bounds on the integer columns over the root's state (the
// continuous optimum's basis), saved and added to the active store.
int add_restored_node(LpContext* ctx, const ActiveIn& in, const double* lower, const double* upper, int32_t stamp) {
    ComputationalForm& f = ctx->form;
    int k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        const int32_t j = v->column;
        f.lower[j] = lower[k] * f.column_scale[j];
        f.upper[j] = upper[k] * f.column_scale[j];
    }
    ActiveNode* node = allocate_node(ctx);
    node->stamp = stamp;
    node->bound = node->error = in.root_z;
    node->projection = ordering_key(in.number[kProjec], in.root_z);
    node->estimate = ordering_key(in.number[kPseudo], in.root_z);
    const double sinfea = in.number[kSinfea];
    node->infeasibility = is_missing(sinfea) || !std::isfinite(sinfea) || sinfea < 0 ? 0.0 : sinfea;
    node->parent_z = in.root_z;
    int rc = save_node(ctx, node);
    if (rc == 0) rc = add_node(ctx, node);
    k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        const int32_t j = v->column;
        f.lower[j] = in.root_lower[k] * f.column_scale[j];
        f.upper[j] = in.root_upper[k] * f.column_scale[j];
    }
    return rc;
}

// The end of a section: as many pairs as its INTBEST declared.
int close_section(const ActiveIn& in) {
    const Section& s = in.section;
    if (in.waiting) return refuse(in, "a LOWERBD observation has no UPPERBD observation");
    if (!s.open || !in.counted) return 0;
    if (s.pairs != s.declared) return refuse(in, "the data set holds fewer or more nodes than its INTBEST says");
    return 0;
}

// The check value an observation carries against the one of what was read.
int compare_check(const ActiveIn& in) {
    if (!in.counted || in.section.check.value() == in.number[kCheck]) return 0;
    return refuse(in, "its values do not match the check value written with them (altered, or another problem's)");
}

int read_intbest(LpContext* ctx, ActiveIn& in, bool has_objective) {
    BbState& bb = ctx->bb;
    int rc = close_section(in);
    if (rc != 0) return rc;
    int64_t problem = 0;
    const int64_t room = kMostIntegerIterations - bb.iteration;
    if (whole_number(in.number[kProb], 0, static_cast<double>(room), &problem) != nullptr)
        return refuse(in, "_PROB_ of INTBEST is not a count of integer iterations a run can go on from");
    in.section = Section{};
    in.section.open = true;
    in.section.check.add_integer(static_cast<int64_t>(bb.problem_digest));
    if (in.counted && whole_number(in.number[kNodes], 0, 2147483647.0, &in.section.declared) != nullptr)
        return refuse(in, "_NODES_ of INTBEST is not a count of nodes");
    const bool has_incumbent = has_objective;
    in.section.check.add_integer(problem);
    in.section.check.add_integer(has_incumbent ? 1 : 0);
    if (has_incumbent)
        for (int k = 0; k < in.count; ++k) in.section.check.add_whole(in.values[k], ctx->options.infinity);
    if ((rc = compare_check(in)) != 0) return rc;
    in.any_intbest = true;
    bb.iteration += static_cast<int32_t>(problem);
    // The limit counts the new iterations; it saturates where the option's
    // range ends.
    const int64_t limit = static_cast<int64_t>(ctx->options.imaxit) + problem;
    ctx->options.imaxit = static_cast<int32_t>(limit > kMostIntegerIterations ? kMostIntegerIterations : limit);
    if (!has_incumbent) return 0;
    return take_incumbent(ctx, in);
}

// The place of a pair in its section, its stamp and its objective: each
// must be there and make sense.
int read_pair_fields(const LpContext* ctx, const ActiveIn& in, int64_t* stamp) {
    const double most = static_cast<double>(ctx->bb.iteration);
    if (whole_number(in.number[kProb], -most, most, stamp) != nullptr)
        return refuse(in, "_PROB_ of a node is not the iteration of a search that came before");
    const double objective = in.number[kObject];
    if (is_missing(objective) || !std::isfinite(objective)) return refuse(in, "_OBJECT_ of a node is missing");
    return 0;
}

int read_lower(LpContext* ctx, ActiveIn& in) {
    if (in.counted && !in.section.open) return refuse(in, "a node comes before any INTBEST observation");
    if (in.waiting) return refuse(in, "a LOWERBD observation follows a LOWERBD observation");
    int64_t stamp = 0;
    int rc = read_pair_fields(ctx, in, &stamp);
    if (rc == 0) rc = node_bounds(ctx, in, true, in.waiting_lower);
    if (rc != 0) return rc;
    in.waiting = true;
    in.waiting_stamp = stamp;
    in.waiting_place = in.number[kNodes];
    return 0;
}

int read_upper(LpContext* ctx, ActiveIn& in, double* upper) {
    if (in.counted && !in.section.open) return refuse(in, "a node comes before any INTBEST observation");
    if (!in.waiting) return refuse(in, "an UPPERBD observation does not follow a LOWERBD observation");
    int64_t stamp = 0;
    int rc = read_pair_fields(ctx, in, &stamp);
    if (rc == 0) rc = node_bounds(ctx, in, false, upper);
    if (rc != 0) return rc;
    if (stamp != in.waiting_stamp) return refuse(in, "an UPPERBD observation has another _PROB_ than its LOWERBD");
    in.waiting = false;
    for (int k = 0; k < in.count; ++k)
        if (in.waiting_lower[k] > upper[k]) return refuse_column(in, "crossed node bounds", k);
    Section& s = in.section;
    if (in.counted) {
        const double place = static_cast<double>(s.pairs + 1);
        if (in.number[kNodes] != place || in.waiting_place != place)
            return refuse(in, "the nodes are not numbered 1, 2, ... in their section");
    }
    ++s.pairs;
    s.check.add_integer(stamp);
    for (int k = 0; k < in.count; ++k) s.check.add_whole(in.waiting_lower[k], ctx->options.infinity);
    for (int k = 0; k < in.count; ++k) s.check.add_whole(upper[k], ctx->options.infinity);
    if ((rc = compare_check(in)) != 0) return rc;
    in.stamps.push_back(static_cast<int32_t>(stamp));
    in.any_node = true;
    // Without a count the nodes cannot be known complete: they are checked
    // but not used.  Without integer columns a node is the root again.
    if (!in.counted || in.count == 0) return 0;
    return add_restored_node(ctx, in, in.waiting_lower, upper, static_cast<int32_t>(stamp));
}

int read_observations(LpContext* ctx, ActiveIn& in, double* upper) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    const ColumnListEntry* rhs = ctx->model.current_rhs;
    for (;;) {
        const int status = host_data_read_next(in.ds);
        if (status < kReadObservation) return kRunIo;
        if (status > kReadObservation) return close_section(in);
        ++in.observation;
        if (obj == nullptr || rhs == nullptr ||
            !same(in.text[kObjId], kMaxNameLength, objective_name(const_cast<ObjectiveRecord*>(obj)),
                  ctx->model.row_name_length) ||
            !same(in.text[kRhsId], kMaxNameLength, rhs->name, ctx->model.column_name_length))
            continue;
        int rc = 0;
        switch (status_word(in.text[kStatus])) {
            case Word::kIntBest: rc = read_intbest(ctx, in, !is_missing(in.number[kObject])); break;
            case Word::kLowerBound: rc = read_lower(ctx, in); break;
            case Word::kUpperBound: rc = read_upper(ctx, in, upper); break;
            case Word::kUnknown: rc = refuse(in, "_STATUS_ is not INTBEST, LOWERBD or UPPERBD"); break;
        }
        if (rc != 0) return rc;
    }
}

// A stamp twice would be one node searched twice (or a data set pieced
// together from two).
int check_unique_stamps(ActiveIn& in) {
    std::sort(in.stamps.begin(), in.stamps.end());
    if (std::adjacent_find(in.stamps.begin(), in.stamps.end()) != in.stamps.end())
        return refuse(in, "two nodes have the same _PROB_");
    return 0;
}

// The root again as an active node: the search covers the whole problem,
// with the incumbent of the data set as its cutoff.
int add_root_copy(LpContext* ctx, const ActiveIn& in) {
    ActiveNode* node = allocate_node(ctx);
    node->stamp = 0;
    node->bound = node->error = node->projection = node->estimate = node->parent_z = in.root_z;
    node->infeasibility = ctx->bb.root->infeasibility;
    int rc = save_node(ctx, node);
    if (rc == 0) rc = add_node(ctx, node);
    return rc;
}

int read_data_set(LpContext* ctx, ActiveIn& in) {
    int rc = restore_root_node(ctx);
    if (rc != 0) return rc;
    in.counted = true;
    rc = bind(ctx, in);
    if (rc != 0) return rc;
    note_root(ctx, in);
    double* upper = ctx_alloc_array<double>(ctx, in.count > 0 ? in.count : 1, TYM_ALLOC_STEP_ZERO);
    if (upper == nullptr) return kRunMemory;
    rc = read_observations(ctx, in, upper);
    ctx_free_array(ctx, upper);
    if (rc == 0) rc = check_unique_stamps(in);
    if (rc != 0) return rc;
    if (!in.any_intbest && !in.any_node) return 0;
    if (!in.counted) {
        host_message(kMsgNoNodeCount);
        return add_root_copy(ctx, in);
    }
    if (in.from_root || (in.count == 0 && in.any_node)) return add_root_copy(ctx, in);
    return 0;
}

}  // namespace

int read_activein(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    if (h.data_given[kDsActiveIn] == 0 || h.activein == nullptr || ctx->bb.root == nullptr) return 0;
    if (host_data_rewind(h.activein) != 0) return kRunIo;
    ActiveIn in{};
    in.ds = h.activein;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next) ++in.count;
    int rc = read_data_set(ctx, in);
    // The bindings point into this frame: undo them.
    const int vars = host_data_var_count(in.ds);
    for (int v = 1; v <= vars; ++v) host_data_bind(in.ds, v, nullptr, 0);
    ctx_free_array(ctx, in.values);
    ctx_free_array(ctx, in.root_lower);
    ctx_free_array(ctx, in.root_upper);
    ctx_free_array(ctx, in.waiting_lower);
    ctx_free_array(ctx, in.names);
    const int restored = restore_root_node(ctx);
    return rc != 0 ? rc : restored;
}

}  // namespace tymlp
