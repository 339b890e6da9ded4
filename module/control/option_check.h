// option_check.h -- checking the options of an LP or RESET statement and
// storing them in the context.
#pragma once

#include "base/lp_context.h"
#include "tym_grammar.h"

namespace tymlp {

// Applies the keyword-only flags of `rec`, then checks every valued option
// the record gives, in the order of the option table, storing each valid
// value and issuing message 211 with the option's check text for each
// invalid one (the field keeps its value).  Every check runs whatever fails.
// The extra rules: MAXIT also sets MAXIT1-3 and IMAXIT; IOBJECTIVE,
// DOBJECTIVE and POBJECTIVE issue message 15; BEPSILON above 0 writes the
// experimental-option note; CPERCENT, CLENGTH and CSIZE go into the four
// sampled indexes; TREETYPE only while the node store is closed; the
// PREPROCESS, POSTPROCESS and AUTO values only with their flags, AUTO's first
// value lowered to its second; then the INVTOL checks (message 227) and
// PRICE 10 for the queue pricing rules.
// Returns kRunOk, or kRunSemantic when at least one option failed.
int check_options(LpContext* ctx, const TymParseRecord* rec);

// Applies only the keyword-only flags of `rec` (step 1 of the check).
void apply_option_flags(LpContext* ctx, const TymParseRecord* rec);

}  // namespace tymlp
