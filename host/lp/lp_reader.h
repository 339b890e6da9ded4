// lp_reader.h -- reads an LP-format text into the model the MPS importer
// writes as a sparse-layout data set.
//
// This is the entry point for anything that wants an LP file as a problem:
// `qmlp import-lp`, `qmlp solve FILE.lp` and callers that embed the host.
#pragma once

#include "mps/mps_lines.h"
#include "mps/mps_model.h"
#include "mps/mps_reader.h"

namespace qmlp::host::lp {

// Reads the sections objective (Minimize/Maximize and their spellings),
// Subject To, Bounds, General, Binary, SOS and End; whatever follows End is
// ignored.  The objective becomes row 0, the constraints follow in file
// order; a constant of the objective is kept as the negated right-hand side
// of the objective row (the objective is c.x - b), and constants on the
// left of a constraint move to its right-hand side.  A double inequality
// `l <= expr <= u` is a range row; an infinite right-hand side on the
// open side makes a free row.  On the first fault returns false with
// report.error naming the line and what was expected; `model` must then not
// be written.  Conventions applied along the way are report.warnings.
bool read_lp(mps::LineSource& source, mps::Model& model, mps::ReadReport& report);

}  // namespace qmlp::host::lp
