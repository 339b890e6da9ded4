// command_line.cpp -- option parsing with CLI11 and the checks CLI11 cannot
// express.
#include "front/command_line.h"

#include <CLI/CLI.hpp>

#include <limits>
#include <vector>

#include "front/exit_status.h"
#include "front/lexer.h"
#include "front/module_loader.h"
#include "front/solve_command.h"

#ifndef QMLP_VERSION
#define QMLP_VERSION "1.0.0"
#endif

namespace qmlp::front {
namespace {

constexpr size_t kLibrefMax = 32;

bool valid_libref(const std::string& name) {
    if (name.empty() || name.size() > kLibrefMax || !is_name_start(name[0])) return false;
    for (char c : name)
        if (!is_name_char(c)) return false;
    return true;
}

// "NAME=VALUE" into its parts; false when there is no "=" or no name.
bool split_assignment(const std::string& text, std::string* name, std::string* value) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    *name = text.substr(0, eq);
    *value = text.substr(eq + 1);
    return true;
}

std::string directory_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

bool parse_memsize(const std::string& text, int64_t* bytes) {
    if (text.empty()) return false;
    size_t i = 0;
    int64_t value = 0;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        const int digit = text[i] - '0';
        if (value > (kMax - digit) / 10) return false;
        value = value * 10 + digit;
        ++i;
    }
    if (i == 0) return false;
    int64_t unit = 1;
    if (i < text.size()) {
        switch (text[i]) {
            case 'k':
            case 'K': unit = int64_t{1} << 10; break;
            case 'm':
            case 'M': unit = int64_t{1} << 20; break;
            case 'g':
            case 'G': unit = int64_t{1} << 30; break;
            default: return false;
        }
        if (++i != text.size()) return false;
    }
    if (value == 0 || value > kMax / unit) return false;
    *bytes = value * unit;
    return true;
}

int parse_command_line(int argc, char** argv, CommandLine& out, std::ostream& out_text, std::ostream& err_text) {
    CLI::App app{"qmlp runs programs of LP steps: linear and mixed-integer programs read from CSV data sets."};
    app.footer(
        "Other forms:\n"
        "  qmlp [options] solve FILE.mps[.gz]|FILE.lp[.gz] [OPTION=VALUE | KEYWORD ...]\n"
        "      import an MPS or LP file and solve it with the LP statement's options, e.g. primalout=x.csv\n"
        "  qmlp import-mps FILE.mps[.gz] [-o OUT.csv]\n"
        "  qmlp import-lp FILE.lp[.gz] [-o OUT.csv]\n"
        "      convert an MPS or LP file to a sparse data set\n"
        "  qmlp export DATA.csv -o OUT.mps|OUT.lp [--sparse | --dense]\n"
        "      write a data set of either layout as an MPS or LP file\n\n"
        "Exit status: 0 success, 2 statement or program error, 3 bad data, 4 out of memory,\n"
        "5 input/output failure, 6 module not loadable, 64 bad command line, 130 interrupted.");
    host::HostConfig& c = out.config;
    std::string program;
    std::string memsize;
    std::vector<std::string> libnames;
    std::vector<std::string> sets;
    bool version = false;
    app.add_option("PROGRAM", program, "Program file (\"-\" or none: standard input)");
    app.add_option("--lib", c.default_lib, "Folder of the default library (default: the program's folder)");
    app.add_option("--libname", libnames, "Library assignment lib=DIR (repeatable)");
    app.add_option("--memsize", memsize, "Memory limit N, NK, NM or NG (default: physical memory)");
    app.add_option("--log", c.log_file, "Write the log to FILE (default: standard error)");
    app.add_option("--listing", c.listing_file, "Write the listing to FILE (default: standard output)");
    app.add_option("--json", c.json_file, "Write every table as JSON to FILE");
    app.add_option("--html", c.html_file, "Write an HTML report to FILE");
    app.add_option("--symbols", c.symbols_file, "Write every macro variable as NAME=value to FILE at the end");
    app.add_option("--set", sets, "Host setting NAME=VALUE, e.g. DEBUG=SYN (repeatable)");
    app.add_flag("--interactive", c.interactive, "Pauses read statements from the terminal (prompt \"LP> \")");
    bool progress = false, no_progress = false;
    app.add_flag("--progress", progress,
                 "Show the live progress line on standard error even when it is not a terminal");
    app.add_flag("--no-progress", no_progress, "Never show the live progress line");
    app.add_option("--module", c.module_path, "Procedure module library (default: libtymlp.so beside qmlp)");
    app.add_flag("--version", version, "Show the version and exit");
    // Host options after "solve FILE" fall through to the main command.
    std::vector<std::string> solve_args;
    CLI::App* solve = app.add_subcommand("solve", "Import an MPS file and solve it with the LP statement's options");
    solve->fallthrough();
    solve->add_option("ARGS", solve_args, "FILE.mps[.gz], then LP statement options (OPTION=VALUE or KEYWORD)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out_text << app.help();
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        err_text << "qmlp: " << e.what() << "\nRun \"qmlp --help\" for the options.\n";
        return kExitUsage;
    }
    if (version) {
        out_text << "qmlp " << QMLP_VERSION << "\n";
        return kExitOk;
    }

    auto usage = [&](const std::string& what) {
        err_text << "qmlp: " << what << "\nRun \"qmlp --help\" for the options.\n";
        return kExitUsage;
    };
    if (progress && no_progress) return usage("--progress and --no-progress contradict each other.");
    if (progress) c.progress = 1;
    if (no_progress) c.progress = 0;
    if (!memsize.empty() && !parse_memsize(memsize, &c.memsize))
        return usage("--memsize needs a positive size such as 512M or 2G, not \"" + memsize + "\".");
    for (const std::string& l : libnames) {
        std::string name, dir;
        if (!split_assignment(l, &name, &dir) || dir.empty() || !valid_libref(name))
            return usage("--libname needs lib=DIR with a library name of at most 32 letters, digits or \"_\", not \"" +
                         l + "\".");
        c.libnames[to_upper(name)] = dir;
    }
    for (const std::string& s : sets) {
        std::string name, value;
        if (!split_assignment(s, &name, &value) || name.find_first_of(" \t") != std::string::npos)
            return usage("--set needs NAME=VALUE, not \"" + s + "\".");
        c.settings[to_upper(name)] = value;
    }
    if (c.default_lib.empty() && app.count("--lib") > 0) return usage("--lib needs a folder.");

    if (solve->parsed()) {
        if (!program.empty()) return usage("solve takes an MPS file, not the program " + program + ".");
        if (solve_args.empty()) return usage("solve needs an MPS file: qmlp solve FILE.mps[.gz] [OPTION=VALUE ...].");
        out.solve = true;
        out.from_stdin = false;
        out.mps_file = solve_args.front();
        out.solve_options.assign(solve_args.begin() + 1, solve_args.end());
        for (const std::string& option : out.solve_options) {
            std::string why;
            if (!solve_option_acceptable(option, &why)) return usage("solve: " + why);
        }
        // Data set names without a library are files of the current folder.
        c.program_dir = ".";
        if (c.default_lib.empty()) c.default_lib = c.program_dir;
        if (c.module_path.empty()) c.module_path = default_module_path();
        return -1;
    }

    out.from_stdin = program.empty() || program == "-";
    out.program = out.from_stdin ? std::string() : program;
    c.program_dir = out.from_stdin ? "." : directory_of(program);
    if (c.default_lib.empty()) c.default_lib = c.program_dir;
    if (c.module_path.empty()) c.module_path = default_module_path();
    return -1;
}

}  // namespace qmlp::front
