// engine_mps.cpp -- see engine_mps.h.
#include "engine_mps.h"

#include <cmath>

#include "base/ctx_form.h"
#include "base/ctx_inverse.h"
#include "mps/mps_lines.h"
#include "mps/mps_reader.h"

namespace enginetest {

namespace mps = qmlp::host::mps;

namespace {

double finite_or_inf(double v) {
    if (v >= mps::kInfiniteBound) return kInf;
    if (v <= -mps::kInfiniteBound) return -kInf;
    return v;
}

ColumnSpec logical_for(const mps::Row& row, int32_t i, bool objective) {
    ColumnSpec c;
    double coefficient = 1.0;
    switch (row.kind) {
        case mps::RowKind::LessEqual: break;
        case mps::RowKind::GreaterEqual: coefficient = -1.0; break;
        case mps::RowKind::Equal:
            c.upper = 0.0;
            c.status = tymlp::kStatArtificial;
            break;
        case mps::RowKind::Free:
            coefficient = objective ? -1.0 : 1.0;
            c.status = tymlp::kStatHeld;
            break;
    }
    if (row.has_range && row.kind != mps::RowKind::Equal) c.upper = std::fabs(row.range);
    c.entries = {{i, coefficient}};
    return c;
}

}  // namespace

bool ProblemFromMps(const std::string& path, ProblemSpec* spec, std::string* error) {
    mps::FileLineSource source;
    if (!source.open(path)) {
        *error = source.error();
        return false;
    }
    mps::Model model;
    mps::ReadReport report;
    if (!mps::read_mps(source, model, report)) {
        *error = report.error.text;
        return false;
    }
    ProblemSpec p;
    p.rows = static_cast<int32_t>(model.rows.size());
    p.structural = static_cast<int32_t>(model.columns.size());
    for (const mps::Column& col : model.columns) {
        ColumnSpec c;
        for (const mps::Entry& e : col.entries)
            if (e.value != 0.0) c.entries.push_back({e.index, e.value});
        c.lower = finite_or_inf(col.lower);
        c.upper = finite_or_inf(col.upper);
        if (col.integer) c.status = tymlp::kStatInteger;
        p.columns.push_back(c);
    }
    for (int32_t i = 0; i < p.rows; ++i)
        p.columns.push_back(logical_for(model.rows[static_cast<size_t>(i)], i, i == model.objective));
    p.rhs.assign(static_cast<size_t>(p.rows), 0.0);
    if (!model.rhs_sets.empty())
        for (const mps::Entry& e : model.rhs_sets.front().entries) p.rhs[static_cast<size_t>(e.index)] = e.value;
    p.objective_row = model.objective;
    p.objective_sense = model.maximize ? 1.0 : -1.0;
    *spec = std::move(p);
    return true;
}

std::string NetlibPath(const std::string& name) {
    return std::string(QMLP_SHARED_DIR) + "/bench/netlib/" + name + ".mps.gz";
}

}  // namespace enginetest
