// activein.h -- going on with a search an earlier run stopped: ACTIVEIN.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Reads the ACTIVEIN data set (an ACTIVEOUT of an earlier run) before
// branch and bound: the observations of the current objective row and
// right-hand side give the iteration count to go on from (added to IMAXIT
// too, so the limit counts the new iterations), the best integer solution
// (re-solved with the integer columns fixed at its values, then the
// incumbent) and the active nodes with their bounds.  The root node's state
// is current again at the end.  Nothing without ACTIVEIN.  Returns 0; 26
// for a data set without the variables it needs (messages 191, 192) or an
// integer solution whose LP fails (196); 3, 4, 5 or 13 from that LP; 9 or
// 25.
int read_activein(LpContext* ctx);

}  // namespace tymlp
