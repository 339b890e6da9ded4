// mps_bounds.h -- the BOUNDS section: decoding a bound line and applying it
// to its column (used by the MPS reader only).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mps/mps_fields.h"
#include "mps/mps_model.h"

namespace qmlp::host::mps {

enum class BoundKind : uint8_t { UP, LO, FX, FR, MI, PL, BV, LI, UI, SC };

struct BoundLine {
    BoundKind kind = BoundKind::UP;
    std::string set;  // bound set name; empty when the file leaves it blank
    int32_t column = -1;
    bool has_value = false;
    double value = 0.0;
};

// Decodes one line read in fixed or free form; empty on success, else the
// fault.  Looks names up in `model` but changes nothing, so that the reader
// can try the other form when this one fails.  `shape_fault` tells a wrong
// number of fields from a fault in their content.
std::string decode_bound_fixed(const FixedFields& fields, const Model& model, BoundLine& out);
std::string decode_bound_free(const std::vector<std::string_view>& tokens, const Model& model, BoundLine& out,
                              bool& shape_fault);

// Applies a decoded bound to its column.  Empty on success, else the fault
// (a second bound set, the same bound kind twice for a column, an infinite
// value where a finite one is needed).  A convention worth telling the user
// (a negative upper bound on a column without lower bound) is appended to
// `warnings`.
std::string apply_bound(Model& model, const BoundLine& bound, std::vector<std::string>& warnings);

}  // namespace qmlp::host::mps
