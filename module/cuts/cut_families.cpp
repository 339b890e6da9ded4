// cut_families.cpp -- the table of cut families.
#include "cuts/cut_families.h"

namespace tymlp {
namespace {

const CutSeparator* const kSeparators[] = {
    &kStrengthenedRowSeparator,
    &kGomorySeparator,
    &kKnapsackCoverSeparator,
};

}  // namespace

const CutSeparator* const* cut_separators(int32_t* count) {
    *count = static_cast<int32_t>(sizeof kSeparators / sizeof kSeparators[0]);
    return kSeparators;
}

}  // namespace tymlp
