// command_line.h -- the options of the qmlp command.
//
//   qmlp [options] [PROGRAM]        PROGRAM a file; "-" or none: standard input
//   qmlp [options] solve FILE.mps[.gz] [OPTION=VALUE | KEYWORD ...]
//                                   imports an MPS file and solves it
//   qmlp import-mps ...             converts an MPS file (its own options)
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host_api.h"

namespace qmlp::front {

struct CommandLine {
    host::HostConfig config;
    std::string program;  // the program file; empty for standard input
    bool from_stdin = true;
    bool solve = false;                      // `qmlp solve`: no program file
    std::string mps_file;                    // the MPS file of `qmlp solve`
    std::vector<std::string> solve_options;  // its LP statement options, as written
};

// Parses the options into `out`.  Returns -1 to go on, or the exit status
// to end with at once: 0 after --help or --version (written to `out_text`),
// 64 after a usage error (message written to `err_text`).
int parse_command_line(int argc, char** argv, CommandLine& out, std::ostream& out_text, std::ostream& err_text);

// "512", "64K", "2M", "1g" -> bytes; false when malformed, zero or too big.
bool parse_memsize(const std::string& text, int64_t* bytes);

}  // namespace qmlp::front
