// run_command.cpp -- the qmlp command from its arguments to its exit status.
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <new>
#include <sstream>
#include <utility>

#include "data/run_files.h"
#include "export/export_command.h"
#include "front/attention.h"
#include "front/command_line.h"
#include "front/exit_status.h"
#include "front/front_services.h"
#include "front/host_object.h"
#include "front/macro_store.h"
#include "front/module_loader.h"
#include "front/program_runner.h"
#include "front/program_text.h"
#include "front/solve_command.h"
#include "front/symbols_file.h"
#include "front/system_vector.h"
#include "front/terminal.h"
#include "host_api.h"
#include "lp/lp_import.h"
#include "mps/mps_import.h"

namespace qmlp::host {
namespace {

using namespace qmlp::front;

// Reads the program; says why when it cannot.  Returns 0 or the exit
// status: a read that fails is an input/output error, a statement without
// end an error of the program.
int read_program_from(std::istream& in, const std::string& what, std::string& text) {
    std::size_t line = 0;
    switch (read_program_text(in, text, &line)) {
        case ProgramRead::kOk: return 0;
        case ProgramRead::kReadFailed: log_error("Cannot read the program " + what + "."); return kExitIo;
        case ProgramRead::kStatementTooLong:
            log_error("The program " + what + " has a statement, starting on line " + std::to_string(line) +
                      ", longer than " + std::to_string(kMaxStatementBytes) +
                      " bytes; a statement ends with \";\". The program is not run.");
            return kExitProgramError;
    }
    return kExitIo;
}

int read_program(const CommandLine& cl, std::string& text) {
    if (cl.from_stdin) return read_program_from(std::cin, "from standard input", text);
    std::error_code ec;
    if (std::filesystem::is_directory(cl.program, ec)) {
        log_error("Cannot read the program file " + cl.program + ": it is a folder.");
        return kExitIo;
    }
    std::ifstream in(cl.program, std::ios::binary);
    if (!in) {
        log_error("Cannot read the program file " + cl.program + ": " + std::strerror(errno) + ".");
        return kExitIo;
    }
    return read_program_from(in, "file " + cl.program, text);
}

int run_configured(const CommandLine& cl) {
    const HostConfig& config = cl.config;
    set_host_settings(config.settings);
    macros().clear();
    attention_reset();
    attention_install_signal_handler();

    std::string text;
    // Declared before the module, so the imported data set outlives the run.
    ImportedProblem imported;
    if (cl.solve) {
        if (int rc = imported.import(cl.mps_file); rc != 0) return rc;
        text = solve_program(imported.data_path(), cl.solve_options);
        const std::string path = solve_default_options(cl.solve_options);
        if (!path.empty())
            log_line(Severity::Note, "qmlp solve uses " + path +
                                         ": the dual simplex path (the primal phases from a PRIMALIN basis) on the "
                                         "Markowitz factorisation unless LU is given, renewed when its updates cost "
                                         "more than a fresh one unless INVTYPE or INVFREQ is given, the fastest "
                                         "measured; give ALGORITHM=PRIMAL for the primal phases.");
        const std::string search = solve_search_options(cl.solve_options);
        if (!search.empty() && imported.has_integer_columns())
            log_line(Severity::Note, "qmlp solve uses " + search +
                                         " for the search of an integer problem, the fastest measured; give "
                                         "HEURISTICS=0, VARSELECT= and CANSELECT= for the plain search.");
    } else if (const int rc = read_program(cl, text); rc != 0) {
        return rc;
    }

    TerminalReader terminal(make_terminal_source(cl.from_stdin));
    LoadedModule module;
    ProgramSettings settings;
    settings.interactive = config.interactive;
    settings.terminal = &terminal;
    settings.load_procedure = [&]() -> ProcedureEntry {
        std::string why;
        if (!load_module(config.module_path, host_object(), module, &why)) {
            log_error("Cannot use the procedure module " + config.module_path + ": " + why + ".");
            return nullptr;
        }
        return module.entry;
    };
    ExitStatus status;
    status.raise(run_program(text, settings));
    // A solve ends with the status of its one step, the last line of the log.
    if (cl.solve) {
        if (const std::string* value = macros().get("_QMLP_")) log_raw("_QMLP_: " + *value);
    }

    if (!config.symbols_file.empty()) {
        std::string why;
        if (!write_symbols(config.symbols_file, macros(), &why)) {
            log_error("Cannot write the symbols file " + config.symbols_file + ": " + why + ".");
            status.raise(kExitIo);
        }
    }
    unload_module(module);
    return status.value();
}

// The inputs and outputs named on the command line, each output checked
// against every file recorded before it: an output that is an input of the
// run, or another output of it, is refused before anything is written.
// Returns false after saying which.
bool note_command_line_files(const CommandLine& cl, std::ostream& err) {
    using host::data::RunFileKind;
    host::data::run_files_reset();
    if (cl.solve)
        host::data::run_files_note(cl.mps_file, RunFileKind::kInput, "the MPS file");
    else if (!cl.from_stdin)
        host::data::run_files_note(cl.program, RunFileKind::kInput, "the program file");
    const HostConfig& c = cl.config;
    const std::pair<const std::string*, const char*> outputs[] = {{&c.log_file, "the log file (--log)"},
                                                                  {&c.listing_file, "the listing file (--listing)"},
                                                                  {&c.json_file, "the JSON report (--json)"},
                                                                  {&c.html_file, "the HTML report (--html)"},
                                                                  {&c.symbols_file, "the symbols file (--symbols)"}};
    for (const auto& [path, role] : outputs) {
        if (path->empty()) continue;
        const std::string other = host::data::run_files_role_of(*path, host::data::kAnyRunFile);
        if (!other.empty()) {
            err << "qmlp: " << *path << " is both " << role << " and " << other
                << "; nothing is written. Name another file.\n";
            return false;
        }
        host::data::run_files_note(*path, RunFileKind::kOutput, role);
    }
    return true;
}

}  // namespace

int run_command(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "import-mps") == 0) return mps_import_command(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "import-lp") == 0) return lp_import_command(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "export") == 0) return export_command(argc - 1, argv + 1);

    CommandLine cl;
    if (int rc = parse_command_line(argc, argv, cl, std::cout, std::cerr); rc >= 0) return rc;
    try {
        if (!note_command_line_files(cl, std::cerr)) return kExitUsage;
        data_configure(cl.config);
        // Nothing runs when the log, the listing or a report cannot be
        // written: what the run printed would be lost.
        if (!output_configure(cl.config)) {
            output_close_files();
            return kExitIo;
        }
        if (!cl.config.symbols_file.empty()) {
            std::string why;
            if (!output_target_usable(cl.config.symbols_file, &why)) {
                log_error("Cannot write the symbols file " + cl.config.symbols_file + ": " + why + ".");
                output_close_files();
                return kExitIo;
            }
        }
        ExitStatus status;
        status.raise(run_configured(cl));
        if (data_output_lost()) status.raise(kExitIo);
        if (output_finish() != 0) status.raise(kExitIo);
        return status.value();
    } catch (const std::bad_alloc&) {
        // Whatever ran out of memory, the run ends the way a step that ran
        // out of memory does: an ERROR and the memory status.
        log_error("qmlp ran out of memory; the run is ended.");
        return kExitMemory;
    } catch (const std::exception& e) {
        std::cerr << "qmlp: " << e.what() << "\n";
        return kExitProgramError;
    }
}

}  // namespace qmlp::host
