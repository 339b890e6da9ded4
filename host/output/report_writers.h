// report_writers.h -- the files written at the end of a run: the JSON
// document of every table and the self-contained HTML report.
#pragma once

#include <string>

#include "output/output_model.h"

namespace qmlp::host::output {

// Every table of the run: name, template, label, group path, step, columns
// (name and type) and rows; numbers as numbers, missing values as ".", ".I",
// ".M", ... strings.
std::string render_json(const Document& document);

// One HTML page with inline CSS and no external resources: a table of
// contents, then the tables grouped by step and group.
std::string render_html(const Document& document);

// The value of a cell as JSON and HTML show it: texts trimmed, numbers as
// the listing formats them (used by the HTML writer and tests).
std::string plain_cell_text(const Cell& cell, const Column& column);

}  // namespace qmlp::host::output
