// mps_bounds.cpp -- BOUNDS lines: UP LO FX FR MI PL BV LI UI (SC refused).
#include "mps/mps_bounds.h"

#include <cmath>

namespace qmlp::host::mps {

namespace {

struct KindInfo {
    const char* word;
    BoundKind kind;
    bool needs_value;  // the value field is required
    bool takes_value;  // a value field may be present (read or ignored)
};

constexpr KindInfo kKinds[] = {
    {"UP", BoundKind::UP, true, true},  {"LO", BoundKind::LO, true, true},  {"FX", BoundKind::FX, true, true},
    {"FR", BoundKind::FR, false, true}, {"MI", BoundKind::MI, false, true}, {"PL", BoundKind::PL, false, true},
    {"BV", BoundKind::BV, false, true}, {"LI", BoundKind::LI, true, true},  {"UI", BoundKind::UI, true, true},
    {"SC", BoundKind::SC, false, true},
};

const KindInfo* find_kind(std::string_view word) {
    std::string key = upper(word);
    for (const KindInfo& info : kKinds) {
        if (key == info.word) return &info;
    }
    return nullptr;
}

const char* kind_word(BoundKind kind) { return kKinds[static_cast<int>(kind)].word; }

// Common tail of both decoders once the fields are placed.
std::string finish_decode(const KindInfo* info, std::string_view type, std::string_view set, std::string_view column,
                          std::string_view value, const Model& model, BoundLine& out) {
    if (info == nullptr) return "unknown bound type " + quoted(type);
    if (info->kind == BoundKind::SC) {
        return "semi-continuous bound (SC) on column " + quoted(column) + " is not supported";
    }
    if (column.empty()) return "bound line without a column name";
    out.column = model.find_column(std::string(column));
    if (out.column < 0) return "unknown column " + quoted(column) + " in BOUNDS";
    std::string reason = check_name(set);
    if (!reason.empty()) return "bound set name: " + reason;
    out.kind = info->kind;
    out.set = std::string(set);
    out.has_value = !value.empty();
    if (info->needs_value && !out.has_value) {
        return std::string(info->word) + " bound on column " + quoted(column) + " has no value";
    }
    if (out.has_value && !parse_number(value, out.value)) {
        return "non-numeric value " + quoted(value);
    }
    return {};
}

}  // namespace

std::string decode_bound_fixed(const FixedFields& f, const Model& model, BoundLine& out) {
    if (!f[4].empty() || !f[5].empty()) return "too many fields on bound line";
    return finish_decode(find_kind(f[0]), f[0], f[1], f[2], f[3], model, out);
}

std::string decode_bound_free(const std::vector<std::string_view>& t, const Model& model, BoundLine& out,
                              bool& shape_fault) {
    shape_fault = t.size() < 2 || t.size() > 4;
    if (t.size() < 2) return "too few fields on bound line";
    if (t.size() > 4) return "too many fields on bound line";
    const KindInfo* info = find_kind(t[0]);
    if (info == nullptr) return "unknown bound type " + quoted(t[0]);
    std::string_view set, column, value;
    if (t.size() == 4) {
        set = t[1], column = t[2], value = t[3];
    } else if (t.size() == 2) {
        column = t[1];
    } else {
        // "type set column" or "type column value": the known column decides;
        // when both fields name columns, a kind that needs a value reads the
        // last field as the value.
        const bool second_is_column = model.find_column(std::string(t[1])) >= 0;
        const bool third_is_column = model.find_column(std::string(t[2])) >= 0;
        if (third_is_column && (!second_is_column || !info->needs_value)) {
            set = t[1], column = t[2];
        } else {
            column = t[1], value = t[2];
        }
    }
    return finish_decode(info, t[0], set, column, value, model, out);
}

std::string apply_bound(Model& model, const BoundLine& b, std::vector<std::string>& warnings) {
    if (!model.has_bound_set) {
        model.has_bound_set = true;
        model.bound_set_name = b.set;
    } else if (b.set != model.bound_set_name) {
        return "second bound set '" + b.set + "' (only one bound set is supported; first was '" + model.bound_set_name +
               "')";
    }
    Column& c = model.columns[b.column];
    const uint16_t bit = static_cast<uint16_t>(1u << static_cast<int>(b.kind));
    if (c.bounds_seen & bit) {
        return std::string("duplicate ") + kind_word(b.kind) + " bound for column '" + c.name + "'";
    }
    c.bounds_seen |= bit;
    const double v = b.value;
    const bool plus_inf = b.has_value && v >= kInfiniteBound;
    const bool minus_inf = b.has_value && v <= -kInfiniteBound;

    auto set_upper = [&]() -> std::string {
        if (minus_inf) return "upper bound of minus infinity for column '" + c.name + "'";
        c.upper = plus_inf ? kInfinity : v;
        // The customary reading of a negative upper bound on a column that
        // still has the default lower bound 0: the column is unbounded below
        // (otherwise the bounds would contradict each other).
        if (!plus_inf && v < 0.0 && !c.lower_given) {
            c.lower = -kInfinity;
            warnings.push_back("negative upper bound " + format_number(v) + " on column '" + c.name +
                               "' without a lower bound: lower bound set to minus infinity");
        }
        return {};
    };
    auto set_lower = [&]() -> std::string {
        if (plus_inf) return "lower bound of plus infinity for column '" + c.name + "'";
        c.lower = minus_inf ? -kInfinity : v;
        c.lower_given = true;
        return {};
    };

    switch (b.kind) {
        case BoundKind::UP: return set_upper();
        case BoundKind::LO: return set_lower();
        case BoundKind::UI: c.integer = true; return set_upper();
        case BoundKind::LI: c.integer = true; return set_lower();
        case BoundKind::FX:
            if (plus_inf || minus_inf) return "infinite fixed value for column '" + c.name + "'";
            c.lower = c.upper = v;
            c.lower_given = true;
            return {};
        case BoundKind::FR:
            c.lower = -kInfinity;
            c.upper = kInfinity;
            c.lower_given = true;
            return {};
        case BoundKind::MI:
            c.lower = -kInfinity;
            c.lower_given = true;
            return {};
        case BoundKind::PL: c.upper = kInfinity; return {};
        case BoundKind::BV:
            c.integer = true;
            c.lower = 0.0;
            c.upper = 1.0;
            c.lower_given = true;
            return {};
        case BoundKind::SC: break;
    }
    return "semi-continuous bound (SC) is not supported";
}

}  // namespace qmlp::host::mps
