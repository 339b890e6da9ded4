// data_internal.h -- how the files of the data part reach one another.
#pragma once

#include <cstdint>

namespace qmlp::host::data {

// Closes every input data set still open (end of step).
void close_all_inputs();
// Deletes the temporary file of every output data set still open, leaving
// the targets as they were (end of step).
void discard_all_outputs();
// Closes and deletes every utility file and the step's folder.
void close_all_util_files();
// Frees every block and heap of the step and forgets the release callbacks.
void release_step_memory();
// Frees what was allocated outside any step (end of program).
void release_all_memory();
void memory_configure(int64_t memsize);
void memory_step_begin();
// Number of open handles, for tests and the end-of-step checks.
int open_input_count();
int open_output_count();
int open_util_count();

}  // namespace qmlp::host::data
