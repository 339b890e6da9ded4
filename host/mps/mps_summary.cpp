// mps_summary.cpp -- counts of an MPS import, one per line.
#include "mps/mps_summary.h"

namespace qmlp::host::mps {

namespace {

void line(std::FILE* out, const char* label, long long value) { std::fprintf(out, "%s: %lld\n", label, value); }

int by(const Counts& c, ColumnClass cls) { return c.by_class[static_cast<int>(cls)]; }

}  // namespace

void print_summary(std::FILE* out, const char* format, const std::string& source, const std::string& target,
                   const Model& model, const Counts& c, const WritePlan& plan) {
    std::fprintf(out, "%s import: %s -> %s\n", format, source.c_str(), target.c_str());
    if (!model.problem_name.empty()) std::fprintf(out, "Problem: %s\n", model.problem_name.c_str());
    std::fprintf(out, "Objective: %s (%s)\n", model.rows[model.objective].name.c_str(),
                 model.maximize ? "maximise" : "minimise");
    line(out, "Constraint rows", c.less_equal + c.greater_equal + c.equal + c.free_rows);
    line(out, "  less-or-equal", c.less_equal);
    line(out, "  greater-or-equal", c.greater_equal);
    line(out, "  equality", c.equal);
    line(out, "  ranged", c.ranged);
    line(out, "  free", c.free_rows);
    if (c.dropped_rows > 0) line(out, "  free rows dropped", c.dropped_rows);
    line(out, "Columns", c.columns);
    line(out, "  non-negative", by(c, ColumnClass::NonNegative));
    line(out, "  lower bound only", by(c, ColumnClass::LowerOnly));
    line(out, "  upper bound only", by(c, ColumnClass::UpperOnly));
    line(out, "  both bounds", by(c, ColumnClass::BothBounds));
    line(out, "  upper bound, unbounded below", by(c, ColumnClass::UpperUnbounded));
    line(out, "  fixed", by(c, ColumnClass::Fixed));
    line(out, "  unrestricted", by(c, ColumnClass::Free));
    line(out, "  integer", by(c, ColumnClass::Integer));
    line(out, "  binary", by(c, ColumnClass::Binary));
    line(out, "Nonzeros", c.nonzeros);
    line(out, "  in objective", c.objective_nonzeros);
    line(out, "RHS sets", c.rhs_sets);
    for (std::size_t s = 0; s < plan.rhs_names.size(); ++s) {
        std::fprintf(out, "  RHS set: %s\n", plan.rhs_names[s].c_str());
    }
    std::fprintf(out, "Objective constant: %s\n", c.objective_constant ? "yes" : "no");
    if (c.sos_sets > 0) line(out, "Special ordered sets", c.sos_sets);
    for (const std::string& note : plan.notes) std::fprintf(out, "Note: %s\n", note.c_str());
}

}  // namespace qmlp::host::mps
