// temp_registry.h -- temporary files and folders that must not outlive the
// program, even when it is ended by a signal.
//
// The registry is a fixed table of paths that a signal handler may walk
// without allocating: on SIGTERM or SIGHUP it unlinks every registered file,
// removes every registered folder (which works once the files in it are
// gone), and then lets the signal take its usual course.  Normal clean-up
// happens elsewhere (end of step, program exit); the registry is the last
// resort.
#pragma once

#include <string>

namespace qmlp::host::data {

enum class TempKind { File = 1, Folder = 2 };

// Records a path; returns its slot, or -1 when the table is full (the path
// is then only cleaned up by the normal paths).
int temp_register(const std::string& path, TempKind kind);
// Forgets a slot (negative slots are ignored).
void temp_unregister(int slot);
// Installs the signal handlers once.
void temp_install_signal_handlers();
// Removes every registered path now (also what the signal handler does).
void temp_remove_all_registered();

}  // namespace qmlp::host::data
