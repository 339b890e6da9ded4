// data_step.cpp -- configuration and the step boundaries of the data part.
//
// The end of a step is where the host makes good whatever the module left
// behind: input data sets are closed, output data sets that were not
// committed are discarded (their targets untouched), utility files and
// their folder are removed, and every block the step allocated is freed.
// The end of the program removes the WORK library.
#include <cstdlib>

#include "data/csv_schema.h"
#include "data/data_internal.h"
#include "data/library.h"
#include "data/temp_registry.h"
#include "host_api.h"

namespace qmlp::host {
namespace data {
namespace {

bool g_exit_hook = false;

void at_program_exit() {
    close_all_inputs();
    discard_all_outputs();
    close_all_util_files();
    release_all_memory();
    library_shutdown();
    clear_schema_cache();
}

}  // namespace
}  // namespace data

void data_configure(const HostConfig& config) {
    data::library_configure(config);
    data::memory_configure(config.memsize);
    data::temp_install_signal_handlers();
    if (!data::g_exit_hook) {
        data::g_exit_hook = true;
        std::atexit(data::at_program_exit);
    }
}

void data_program_end() { data::at_program_exit(); }

void data_step_begin() { data::memory_step_begin(); }

void data_step_end() {
    data::close_all_inputs();
    data::discard_all_outputs();
    data::close_all_util_files();
    data::release_step_memory();
}

}  // namespace qmlp::host
