// mps_model.cpp -- lookups and counts over the MPS problem record.
#include "mps/mps_model.h"

#include <cmath>

namespace qmlp::host::mps {

int32_t Model::find_row(const std::string& name) const {
    auto it = row_index.find(name);
    return it == row_index.end() ? -1 : it->second;
}

int32_t Model::find_column(const std::string& name) const {
    auto it = column_index.find(name);
    return it == column_index.end() ? -1 : it->second;
}

ColumnClass classify_column(const Column& c) {
    if (c.integer) {
        return (c.lower == 0.0 && c.upper == 1.0) ? ColumnClass::Binary : ColumnClass::Integer;
    }
    const bool lower_inf = std::isinf(c.lower);
    const bool upper_inf = std::isinf(c.upper);
    if (!lower_inf && !upper_inf && c.lower == c.upper) return ColumnClass::Fixed;
    if (lower_inf) return upper_inf ? ColumnClass::Free : ColumnClass::UpperUnbounded;
    if (c.lower == 0.0) return upper_inf ? ColumnClass::NonNegative : ColumnClass::UpperOnly;
    return upper_inf ? ColumnClass::LowerOnly : ColumnClass::BothBounds;
}

RowKind written_kind(const Row& row) {
    if (row.has_range && row.range == 0.0 && (row.kind == RowKind::LessEqual || row.kind == RowKind::GreaterEqual)) {
        return RowKind::Equal;
    }
    return row.kind;
}

Counts count_model(const Model& model, bool drop_free_rows) {
    Counts counts;
    std::vector<char> row_written(model.rows.size(), 1);
    for (std::size_t i = 0; i < model.rows.size(); ++i) {
        const Row& row = model.rows[i];
        if (static_cast<int32_t>(i) == model.objective) {
            ++counts.objective_rows;
            continue;
        }
        switch (written_kind(row)) {
            case RowKind::Free:
                if (drop_free_rows) {
                    ++counts.dropped_rows;
                    row_written[i] = 0;
                } else {
                    ++counts.free_rows;
                }
                continue;
            case RowKind::LessEqual: ++counts.less_equal; break;
            case RowKind::GreaterEqual: ++counts.greater_equal; break;
            case RowKind::Equal: ++counts.equal; break;
        }
        if (row.has_range && row.range != 0.0) ++counts.ranged;
    }
    counts.columns = static_cast<int32_t>(model.columns.size());
    for (const Column& column : model.columns) {
        ColumnClass cls = classify_column(column);
        ++counts.by_class[static_cast<int>(cls)];
        if (column.integer) ++counts.integer_total;
        for (const Entry& e : column.entries) {
            if (e.value == 0.0 || !row_written[e.index]) continue;
            ++counts.nonzeros;
            if (e.index == model.objective) ++counts.objective_nonzeros;
        }
    }
    counts.rhs_sets = static_cast<int32_t>(model.rhs_sets.size());
    counts.sos_sets = static_cast<int32_t>(model.sos_sets.size());
    for (const RhsSet& set : model.rhs_sets) {
        for (const Entry& e : set.entries) {
            if (e.index == model.objective && e.value != 0.0) counts.objective_constant = true;
        }
    }
    return counts;
}

}  // namespace qmlp::host::mps
