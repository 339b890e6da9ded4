// parse_command_line.h -- the qmlp command line parsed in-process, with what
// it printed, for the tests of the command line and of `qmlp solve`.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "front/command_line.h"

namespace clitest {

struct Parsed {
    int rc;
    qmlp::front::CommandLine cl;
    std::string out;
    std::string err;
};

// Parses `qmlp args...`.
inline Parsed parse(std::vector<std::string> args) {
    args.insert(args.begin(), "qmlp");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    Parsed p;
    std::ostringstream out, err;
    p.rc = qmlp::front::parse_command_line(static_cast<int>(argv.size()), argv.data(), p.cl, out, err);
    p.out = out.str();
    p.err = err.str();
    return p;
}

}  // namespace clitest
