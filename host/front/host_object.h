// host_object.h -- the one TymHost handed to the module.
//
// It lives for the whole program (the module keeps its address from
// mcn_main on) and collects the vectors of the three host parts: step,
// system, macro, attention and parser from the front; memory, data in,
// data out and utility files from the data part; messages and tables from
// the output part.
#pragma once

#include "tym_host.h"

namespace qmlp::front {

TymHost* host_object();
// A step starts with an empty parser state slot: whatever the module kept
// there belonged to the previous step's memory.
void host_object_step_begin();

}  // namespace qmlp::front
