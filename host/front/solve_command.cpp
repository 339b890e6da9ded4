// solve_command.cpp -- the program `qmlp solve` runs, and the import behind it.
#include "front/solve_command.h"

#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>

#include "data/temp_registry.h"
#include "front/exit_status.h"
#include "front/lexer.h"
#include "host_api.h"
#include "lp/lp_reader.h"
#include "mps/mps_convert.h"

namespace qmlp::front {
namespace {

// The largest values the option checks accept.  IMAXIT stops one short of
// 2^31 - 1, which would read as "not given".
constexpr const char* kNoIterationLimit = "2147483647";
constexpr const char* kNoImaxitLimit = "2147483646";
// The fastest combination measured on the shared benchmark instances
// (bench/run_netlib.sh with BENCH_QMLP=solve, against glpsol and clp in the
// same runs): the dual simplex path, except from a PRIMALIN basis, which the
// primal phases take as it is, on the Markowitz factorisation, whose sparser
// factors pay on the larger instances.
constexpr const char* kFastestPath = "algorithm=auto";
constexpr const char* kFastestFactorisation = "lu=1";
// Factors renewed when the updates' work outweighs a fresh factorisation
// rather than every 100 updates: on the generated large sparse LPs of
// bench/run_scaling.sh a fraction of the time (separable 10^5 from 31.7 s to
// 4.0 s of CPU), on the shared Netlib instances about the same.
constexpr const char* kFastestRefactorisation = "invtype=auto";
constexpr const char* kNoTimeLimit = "2147483647";
// The search of an integer problem measured fastest on the shared MIPLIB 3
// instances (bench/run_miplib.sh, glpsol and cbc in the same runs): the
// primal heuristics with dives, reliability branching, and the active node
// with the best bound next.  The dives find the early integer solutions
// that depth-first search was for, and a search led by the best bound no
// longer hangs on which subtree its first dive happened to enter (mod008
// took 310,154 nodes depth first, 26,582 by the best bound).
constexpr const char* kSearchHeuristics = "heuristics=2";
constexpr const char* kSearchBranching = "varselect=reliable";
constexpr const char* kSearchNodes = "canselect=obj";

constexpr size_t kNameMax = 32;

const char* const kDataSetOptions[] = {"DATA", "PRIMALIN",  "PIN",  "ACTIVEIN",   "AIN", "PRIMALOUT", "POUT", "DUALOUT",
                                       "DOUT", "ACTIVEOUT", "AOUT", "TABLEAUOUT", "TOUT"};

std::string trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// "primalout = x" -> "PRIMALOUT"; a keyword option is its own name.
std::string option_name(const std::string& option) {
    const size_t eq = option.find('=');
    return to_upper(trimmed(std::string_view(option).substr(0, eq)));
}

std::string option_value(const std::string& option) {
    const size_t eq = option.find('=');
    return eq == std::string::npos ? std::string() : trimmed(std::string_view(option).substr(eq + 1));
}

bool is_data_set_option(const std::string& name) {
    for (const char* known : kDataSetOptions)
        if (name == known) return true;
    return false;
}

bool is_name(std::string_view text) {
    if (text.empty() || text.size() > kNameMax || !is_name_start(text[0])) return false;
    for (char c : text)
        if (!is_name_char(c)) return false;
    return true;
}

// `member` or `lib.member`, as a program would name a data set.
bool is_data_set_name(const std::string& value) {
    const size_t dot = value.find('.');
    if (dot == std::string::npos) return is_name(value);
    return is_name(std::string_view(value).substr(0, dot)) && is_name(std::string_view(value).substr(dot + 1));
}

bool ends_with_csv(const std::string& value) {
    return value.size() > 4 && to_upper(value.substr(value.size() - 4)) == ".CSV";
}

std::string double_quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string temp_base() {
    const char* env = std::getenv("TMPDIR");
    return env != nullptr && *env != '\0' ? std::string(env) : std::string("/tmp");
}

}  // namespace

bool solve_option_acceptable(const std::string& option, std::string* why) {
    if (option.find(';') != std::string::npos) {
        *why = "the option \"" + option + "\" holds a \";\", which would end the LP statement.";
        return false;
    }
    if (option.find("/*") != std::string::npos) {
        *why = "the option \"" + option +
               "\" holds \"/*\", which would start a comment that swallows the options after it.";
        return false;
    }
    if (option_name(option) == "DATA") {
        *why = "DATA= is the imported MPS or LP file; leave it out.";
        return false;
    }
    return true;
}

std::string solve_option_text(const std::string& option) {
    const std::string name = option_name(option);
    if (option.find('=') == std::string::npos || !is_data_set_option(name)) return option;
    const std::string value = option_value(option);
    if (value.empty() || value[0] == '\'' || value[0] == '"') return option;
    if (is_data_set_name(value) && !ends_with_csv(value)) return option;
    return name + "=" + double_quoted(value);
}

std::string solve_default_options(const std::vector<std::string>& options) {
    bool given_lu = false;
    bool given_refactorisation = false;
    for (const std::string& option : options) {
        const std::string name = option_name(option);
        if (name == "ALGORITHM") return {};
        given_lu |= name == "LU";
        given_refactorisation |= name == "INVTYPE" || name == "INVFREQ";
    }
    std::string path = kFastestPath;
    if (!given_lu) path += std::string(" ") + kFastestFactorisation;
    if (!given_refactorisation) path += std::string(" ") + kFastestRefactorisation;
    return path;
}

std::string solve_search_options(const std::vector<std::string>& options) {
    bool heuristics = false, varselect = false, canselect = false;
    for (const std::string& option : options) {
        heuristics |= option_name(option) == "HEURISTICS";
        varselect |= option_name(option) == "VARSELECT";
        canselect |= option_name(option) == "CANSELECT";
    }
    std::string added = heuristics ? "" : kSearchHeuristics;
    if (!varselect) added += std::string(added.empty() ? "" : " ") + kSearchBranching;
    if (!canselect) added += std::string(added.empty() ? "" : " ") + kSearchNodes;
    return added;
}

std::string solve_program(const std::string& data_path, const std::vector<std::string>& options, bool sparse) {
    bool given_maxit = false, given_maxit1 = false, given_maxit2 = false, given_maxit3 = false;
    bool given_imaxit = false, given_time = false;
    for (const std::string& option : options) {
        const std::string name = option_name(option);
        given_maxit |= name == "MAXIT";
        given_maxit1 |= name == "MAXIT1";
        given_maxit2 |= name == "MAXIT2";
        given_maxit3 |= name == "MAXIT3";
        given_imaxit |= name == "IMAXIT";
        given_time |= name == "TIME";
    }
    std::string statement = "LP data=" + double_quoted(data_path) + (sparse ? " sparsedata" : "");
    // MAXIT sets all four limits, so a MAXIT of the command line must not
    // meet a higher limit of ours for one of them.
    if (!given_maxit) {
        if (!given_maxit1) statement += std::string(" maxit1=") + kNoIterationLimit;
        if (!given_maxit2) statement += std::string(" maxit2=") + kNoIterationLimit;
        if (!given_maxit3) statement += std::string(" maxit3=") + kNoIterationLimit;
        if (!given_imaxit) statement += std::string(" imaxit=") + kNoImaxitLimit;
    }
    if (!given_time) statement += std::string(" time=") + kNoTimeLimit;
    const std::string path = solve_default_options(options);
    if (!path.empty()) statement += " " + path;
    const std::string search = solve_search_options(options);
    if (!search.empty()) statement += " " + search;
    for (const std::string& option : options) {
        if (trimmed(option).empty()) continue;
        statement += " " + solve_option_text(option);
    }
    return statement + ";\nRUN;\n";
}

// The import's summary counts the integer and binary columns on lines of
// their own ("  integer: 3").
void ImportedProblem::note_summary_line(const std::string& line) {
    for (const char* kind : {"  integer: ", "  binary: "}) {
        const size_t length = std::strlen(kind);
        if (line.compare(0, length, kind) == 0 && std::strtol(line.c_str() + length, nullptr, 10) > 0)
            integer_columns_ = true;
    }
}

ImportedProblem::~ImportedProblem() {
    host::data::temp_unregister(file_slot_);
    host::data::temp_unregister(folder_slot_);
    if (folder_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

int ImportedProblem::import(const std::string& mps_file) {
    std::string pattern = temp_base() + "/qmlp-solve-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        host::log_line(host::Severity::Error,
                       "Cannot create a temporary folder under " + temp_base() + ": " + std::strerror(errno) + ".");
        return kExitIo;
    }
    folder_ = pattern;
    host::data::temp_install_signal_handlers();
    folder_slot_ = host::data::temp_register(folder_, host::data::TempKind::Folder);

    // The data set is named after the MPS file, so that the log names it.
    host::mps::ImportOptions options;
    options.input = mps_file;
    if (host::mps::is_lp_path(mps_file)) {
        options.read = host::lp::read_lp;
        options.format_name = "LP";
    }
    options.output =
        folder_ + "/" + std::filesystem::path(host::mps::default_output_path(mps_file)).filename().string();
    file_slot_ = host::data::temp_register(options.output, host::data::TempKind::File);

    // The import writes to a stream; its lines are copied to the log, which
    // may be a file of --log.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> messages(std::tmpfile(), &std::fclose);
    std::FILE* to = messages ? messages.get() : stderr;
    const int status = host::mps::run_import(options, to, to);
    if (messages) {
        std::rewind(to);
        char buffer[4096];
        std::string line;
        while (std::fgets(buffer, sizeof buffer, to) != nullptr) {
            line += buffer;
            if (line.back() != '\n') continue;
            line.pop_back();
            note_summary_line(line);
            host::log_raw(line);
            line.clear();
        }
        if (!line.empty()) host::log_raw(line);
    }
    if (status != 0) return status;
    data_path_ = options.output;
    return 0;
}

}  // namespace qmlp::front
