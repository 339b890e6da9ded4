// mps_writer.h -- writes a Model as a sparse-layout CSV data set.
//
// The data set has the variables _TYPE_ (8 characters), _COL_, _ROW1_,
// _COEF1_, _ROW2_, _COEF2_; the header declares the character variables with
// their lengths ("_COL_$12").  Observations, in this order:
//   - one per row, declaring it: MIN or MAX (the objective), LE, GE, EQ, or
//     FREE (further N rows), with the row name in _ROW1_;
//   - the coefficients, column by column in file order, two rows per
//     observation, type blank;
//   - RHS observations (_COL_ = the set name), two rows per observation;
//   - RANGE observations (_COL_ = the range set name);
//   - column attributes: BINARY, INTEGER, FIXED, UNRSTRCT, LOWERBD, UPPERBD,
//     each under its own attribute row name (_ROW1_) that no real row uses;
//   - special ordered sets: SOSLE or SOSEQ, one observation per member, the
//     set's name in _ROW1_ and 1 in _COEF1_.
// Reading these back gives every row the interval the MPS file meant: see
// range_value() for how a RANGES value is expressed.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "mps/mps_model.h"

namespace qmlp::host::mps {

struct WriteOptions {
    bool drop_free_rows = false;  // leave N rows other than the objective out
};

// Names the data set uses where the MPS file gives none, or where the
// file's name would collide with another name of the same role.
struct WritePlan {
    std::vector<std::string> rhs_names;  // per RHS set
    std::string range_name;
    std::string upper_row, lower_row, fixed_row, free_row, integer_row, binary_row;
    std::vector<std::string> sos_names;  // per special ordered set
    int column_name_length = 8;          // _COL_ length
    int row_name_length = 8;             // _ROW1_, _ROW2_ length
    std::vector<std::string> notes;      // renamings worth telling the user
};

WritePlan plan_names(const Model& model, const WriteOptions& options);

// The value the layout's RANGE observation must carry so that the row gets
// the MPS interval.  The procedure gives a range row a bounded logical
// column: an L row [rhs - |r|, rhs], a G row [rhs, rhs + |r|], an E row
// [rhs, rhs + |r|] when r >= 0 and [rhs - |r|, rhs] when r < 0 -- the same
// rules MPS uses, so E rows keep the sign and L and G rows take |R|.
double range_value(const Row& row);

// Writes the whole data set; false when the stream fails.
bool write_sparse(const Model& model, const WriteOptions& options, const WritePlan& plan, std::ostream& out);

}  // namespace qmlp::host::mps
