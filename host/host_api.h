// host_api.h -- how the parts of the host reach one another.
//
// The host is three parts, each in its own folder:
//   front/   the qmlp command: program reader, statement parser, step runner,
//            module loader, macro variables, attention, clock, settings
//            (vectors: step, system, macro, attention, parser)
//   data/    CSV and SQLite data sets, libraries, utility files, the allocator
//            (vectors: memory, data in, data out, utility files)
//   output/  message and label catalogues, the log, table output and its
//            renderers (listing text, JSON, HTML) (vectors: message, table)
// The module sees none of this: only the vectors of tym_host.h.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tym_host.h"

namespace qmlp::host {

// Command-line settings shared by every part of the host.
struct HostConfig {
    std::string program_dir;                      // folder of the program file ("." for stdin)
    std::string default_lib;                      // --lib DIR, else program_dir
    std::map<std::string, std::string> libnames;  // --libname lib=DIR (upper-case keys)
    int64_t memsize = 0;                          // --memsize bytes; 0 = physical memory
    std::string log_file;                         // --log FILE; empty = stderr
    std::string listing_file;                     // --listing FILE; empty = stdout
    std::string json_file;                        // --json FILE
    std::string html_file;                        // --html FILE
    std::string symbols_file;                     // --symbols FILE
    std::map<std::string, std::string> settings;  // --set NAME=VALUE (upper-case keys)
    bool interactive = false;                     // --interactive
    std::string module_path;                      // the module library to load
    int progress = -1;                            // --progress 1, --no-progress 0, else -1: when stderr is a terminal
};

enum class Severity { Note, Warning, Error };

// ---------------------------------------------------------------- output/
// Opens the log and the listing named by the settings.  Returns false, after
// an ERROR, when either cannot be opened (the run must not start: what it
// printed would be lost).
bool output_configure(const HostConfig& config);
// Whether a report file could be written at `path` (an existing writable
// file or device, or a new file in a writable folder); *why says why not.
bool output_target_usable(const std::string& path, std::string* why);
// Writes `text` as the whole file at `path`: completely or not at all (a
// temporary file renamed over the target; devices are written in place).
bool write_whole_file(const std::string& path, std::string_view text, std::string* why);
// The live progress line on standard error (output/progress_line.h): the
// module's report as the system vector takes it, and taking the line away
// before other text (such as a prompt) goes to the terminal.
int progress_line_report(const TymProgress* report);
void progress_line_clear();
// Writes "NOTE: text", "WARNING: text" or "ERROR: text" to the log.
void log_line(Severity severity, std::string_view text);
// Writes a line to the log exactly as given.
void log_raw(std::string_view line);
// Text from a user's file made safe for the log: control characters and
// bytes that are not UTF-8 become \xNN, and text beyond `limit` bytes is
// cut with "..." (a data cell may be a megabyte long).
std::string printable_text(std::string_view text, size_t limit = 64);
// Steps group the tables of the listing, JSON and HTML output.
void output_step_begin(int step_number, std::string_view procedure);
void output_step_end();
// Flushes log and listing.
void output_flush();
// Writes the JSON and HTML files (at the end of the program) and checks that
// the listing was written completely.  Returns 0, or 1 after an ERROR for
// each file that could not be written.
int output_finish();
// Closes the log and the listing of a run that does not start (its outputs
// could not be configured), so that what they hold goes where it was meant
// to go; the reports are not written.
void output_close_files();
// Text of a numbered message (facility 202) or a label (group 253) with its
// arguments substituted; std::nullopt when the catalogue has no entry.
std::optional<std::string> catalogue_message(int facility, int number, const std::vector<TymArg>& args);
std::optional<std::string> catalogue_label(int group, int number, const TymArg* arg);
const TymMessageVector* message_vector();
const TymTableVector* table_vector();
// The "best" number format: the shortest rendering of value that fits in
// width characters (right-aligned), switching to exponent form when needed;
// missing values render as ".", ".I", ".M", ... .
std::string best_format(double value, int width = 12);

// ---------------------------------------------------------------- data/
struct VarInfo {
    std::string name;
    int type = TYM_VAR_NUMERIC;  // TYM_VAR_NUMERIC or TYM_VAR_CHAR
    int length = 8;
};
void data_configure(const HostConfig& config);
// Whether an output data set that a step asked to keep could not be written
// since the last call (an ERROR was given; the earlier version is kept).
bool data_output_lost();
// The host's missing values.  A missing double has the two most significant
// bytes FF FF, the third byte the bitwise complement of its letter's
// character code and the other five bytes 0: '.' (ordinary, high word
// FFFFD100), 'A'..'Z' (".I" FFFFB600, ".M" FFFFB200) and '_' (encoded as
// '-').  Any other character gives the ordinary missing value.
double missing_value(char which);
// 0 for a number; otherwise the letter: '.', 'A'..'Z' or '_'.  Any double
// with an all-ones exponent counts as missing ('.' unless it carries one of
// the patterns above).
int missing_letter(double value);
// Output data sets committed by steps, in order, recorded only while
// data_record_commits(true) is in force (the command never asks, so its
// record never grows).  data_take_commits hands them over and forgets them.
void data_record_commits(bool on);
std::vector<TymDataRef> data_take_commits();
// Ends the data part's program as the command's exit does: closes what is
// still open and removes the WORK library, for a caller that runs several
// programs in one process (the next one starts with an empty WORK).
void data_program_end();
// LIBNAME name 'folder'; false (after an error in the log) when the folder
// does not exist or the name is not a valid library name.
bool libname_assign(std::string_view libref, std::string_view folder);
// LIBNAME name engine 'path'; engine CSV (a folder, as above) or SQLITE
// (a database file, created by the first output data set when it does not
// exist).  False, after an error in the log, when the engine is unknown or
// the path cannot serve.
bool libname_assign_engine(std::string_view libref, std::string_view engine, std::string_view path);
// The variables of a data set in data set order; false (error logged) when
// it cannot be opened.
bool dataset_variables(const TymDataRef& ref, std::vector<VarInfo>& out);
// The data set most recently created by a step (the default for DATA=).
std::optional<TymDataRef> last_dataset();
// Display name of a reference ("LIB.MEMBER" or the path).
std::string dataset_display_name(const TymDataRef& ref);
// Step boundaries: step_end closes whatever the step left open (output data
// sets are discarded unless committed), removes the utility files and frees
// every block the step allocated.
void data_step_begin();
void data_step_end();
const TymMemoryVector* memory_vector();
const TymDataInVector* data_in_vector();
const TymDataOutVector* data_out_vector();
const TymUtilVector* util_vector();

// ---------------------------------------------------------------- front/
// Runs the qmlp command; returns the process exit status.
int run_command(int argc, char** argv);

}  // namespace qmlp::host
