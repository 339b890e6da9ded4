// parametric_chart.h -- the picture of a parametric walk in the HTML
// report: the optimal objective against phi through the breakpoints of a
// PriceParametricLog or RhsParametricLog table, as an inline SVG.
#pragma once

#include <string>

#include "output/output_model.h"

namespace qmlp::host::output {

// The <svg> element for a parametric log table with at least one finite
// breakpoint; empty for any other table.
std::string parametric_chart_svg(const Table& t);

}  // namespace qmlp::host::output
