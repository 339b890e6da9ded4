// output_connection.h -- the run's connection to the host's table output:
// a manager object and the output object every table is sent to.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Creates the manager object (facility "pvs", kind "manager") under the
// host's output object, then the output object (kind "output") under the
// manager.  Returns 0, or the negative result of the failed request after
// the host's status report.
int open_output_connection(LpContext* ctx);

// The output object every table of the run is sent to: the output object
// while it exists, else the manager.
TymObject table_output_object(const LpContext* ctx);

// Closes the table output objects: a table still open (through the output
// object it belongs to), the two output objects, then the manager.  Objects
// never opened are skipped; every handle is forgotten.
void close_output_objects(LpContext* ctx);

}  // namespace tymlp
