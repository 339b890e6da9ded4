// data_in.cpp -- data set input (vector 7): open, describe, bind, read.
//
// The engine of the data set's library (engine.h) opens it and produces its
// observations; this file holds what every engine shares: the handles, the
// lookup of variables, the bound fields and what each one receives (numbers
// as doubles with the host's missing values, character values blank
// padded), and the findings said once at each open.
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/csv_schema.h"
#include "data/data_internal.h"
#include "data/data_log.h"
#include "data/data_status.h"
#include "data/engine.h"
#include "data/guard.h"
#include "data/library.h"
#include "data/names.h"
#include "data/run_files.h"
#include "host_api.h"

struct TymDataIn_ {
    struct Binding {
        void* field = nullptr;
        int length = 0;
    };
    qmlp::host::data::DataFile file;
    std::unique_ptr<qmlp::host::data::InputReader> reader;
    std::vector<Binding> bindings;
    int64_t observation = 0;

    TymDataIn_(qmlp::host::data::DataFile f, std::unique_ptr<qmlp::host::data::InputReader> r)
        : file(std::move(f)), reader(std::move(r)), bindings(reader->vars().size()) {}
};

namespace qmlp::host {
namespace data {
namespace {

std::set<TymDataIn>& open_inputs() {
    // Never destroyed: the clean-up at program exit still needs it.
    static auto* instance = new std::set<TymDataIn>;
    return *instance;
}

bool known(TymDataIn ds) { return ds != nullptr && open_inputs().count(ds) != 0; }

std::string quoted_value(std::string_view text) { return "\"" + printable_text(text) + "\""; }

// Where a value of a data set is: a line of its file, or an observation
// of its table.
std::string place(const DataFile& file, int64_t line) {
    if (file.engine == Engine::Sqlite)
        return "observation " + std::to_string(line) + " of table " + file.table + " in " + file.file;
    return "line " + std::to_string(line) + " of " + file.file;
}

// What the scan found about a variable's values, said once at each open:
// each finding changes what the module reads from the data set.
void report_findings(const DataFile& file, const VarSpec& var_def) {
    const std::string variable = "Variable " + var_def.name + " of data set " + file.display;
    if (var_def.stray_text_line != 0)
        data_warning(variable + " is read as character, although most of its values are numbers: " +
                     place(file, var_def.stray_text_line) + " has the value " + quoted_value(var_def.stray_text) +
                     ", which is not a number.");
    if (var_def.cut_line != 0)
        data_warning(variable + " has values longer than its length " + std::to_string(var_def.length) +
                     ", which are cut: " + place(file, var_def.cut_line) + " has the value " +
                     quoted_value(var_def.cut_text) + ", read as " +
                     quoted_value(cut_to_length(var_def.cut_text, var_def.length)) + ".");
    if (var_def.merged_line[0] != 0) {
        const char* unit = file.engine == Engine::Sqlite ? " (observation " : " (line ";
        data_warning(variable + " has different values that become the same when cut to its length " +
                     std::to_string(var_def.length) + ": " + quoted_value(var_def.merged_text[0]) + unit +
                     std::to_string(var_def.merged_line[0]) + ") and " + quoted_value(var_def.merged_text[1]) + unit +
                     std::to_string(var_def.merged_line[1]) + ") are both read as " +
                     quoted_value(cut_to_length(var_def.merged_text[0], var_def.length)) + ".");
    }
}

// Opens a data set through its library's engine; nullptr after an ERROR.
TymDataIn open_input(const TymDataRef* ref) {
    if (ref == nullptr) return nullptr;
    DataFile file;
    if (!resolve_data_file(*ref, true, file)) return nullptr;
    // A file the run writes as its log, listing or a report is not data:
    // what it holds now is the run's own output, or a data set it has
    // begun to replace.  It is noted as an input all the same, so that a
    // report is not written over it at the end.
    const std::string role = run_files_role_of(file.file, run_file_bit(RunFileKind::kOutput));
    run_files_note(file.file, RunFileKind::kDataSetInput, "the data set " + file.display);
    if (!role.empty()) {
        data_error("Data set " + file.display + " cannot be read: its file " + file.file + " is " + role +
                   " of this run.");
        return nullptr;
    }
    std::unique_ptr<InputReader> reader =
        file.engine == Engine::Sqlite ? open_sqlite_input(file) : open_csv_input(file);
    if (reader == nullptr) return nullptr;
    for (const VarSpec& var_def : reader->vars()) report_findings(file, var_def);
    auto* ds = new TymDataIn_(std::move(file), std::move(reader));
    open_inputs().insert(ds);
    return ds;
}

// Copies a character value into a blank-padded field, cutting it at a
// character boundary when it is longer than the variable or the field.
void store_text(std::string_view value, int var_length, char* field, int field_length) {
    size_t n = std::min({value.size(), static_cast<size_t>(var_length), static_cast<size_t>(field_length)});
    if (n < value.size())
        while (n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80) --n;
    std::memcpy(field, value.data(), n);
    std::memset(field + n, ' ', static_cast<size_t>(field_length) - n);
}

int read_next(TymDataIn ds) {
    if (!known(ds)) return kBadHandle;
    const int rc = ds->reader->next();
    if (rc != 0) return rc;
    const std::vector<VarSpec>& vars = ds->reader->vars();
    for (size_t v = 0; v < ds->bindings.size(); ++v) {
        const TymDataIn_::Binding& b = ds->bindings[v];
        if (b.field == nullptr) continue;
        if (vars[v].type == TYM_VAR_CHAR) {
            store_text(ds->reader->text(v), vars[v].length, static_cast<char*>(b.field), b.length);
            continue;
        }
        const double value = ds->reader->number(v);
        std::memcpy(b.field, &value, sizeof value);
    }
    ++ds->observation;
    return 0;
}

int var_findings(TymDataIn ds, int var) {
    if (!known(ds)) return kBadHandle;
    if (var < 1 || var > static_cast<int>(ds->reader->vars().size())) return kBadArgument;
    const VarSpec& spec = ds->reader->vars()[static_cast<size_t>(var) - 1];
    int found = 0;
    if (spec.stray_text_line != 0) found |= TYM_FOUND_STRAY_TEXT;
    if (spec.cut_line != 0) found |= TYM_FOUND_CUT;
    if (spec.merged_line[0] != 0) found |= TYM_FOUND_MERGED;
    return found;
}

int var_count(TymDataIn ds) { return known(ds) ? static_cast<int>(ds->reader->vars().size()) : kBadHandle; }

int find_var(TymDataIn ds, const char* name, int name_len) {
    if (!known(ds) || name == nullptr) return 0;
    const size_t len = name_len < 0 ? std::strlen(name) : static_cast<size_t>(name_len);
    const std::string_view wanted = trim_right_blanks(std::string_view(name, len));
    for (size_t v = 0; v < ds->reader->vars().size(); ++v)
        if (equal_ignore_case(ds->reader->vars()[v].name, wanted)) return static_cast<int>(v) + 1;
    return 0;
}

int var_info(TymDataIn ds, int var, char* name33, int* type, int* length) {
    if (!known(ds)) return kBadHandle;
    if (var < 1 || var > static_cast<int>(ds->reader->vars().size())) return kBadArgument;
    const VarSpec& spec = ds->reader->vars()[static_cast<size_t>(var) - 1];
    if (name33 != nullptr) {
        const size_t n = std::min(spec.name.size(), static_cast<size_t>(kMaxNameLength));
        std::memcpy(name33, spec.name.data(), n);
        name33[n] = '\0';
    }
    if (type != nullptr) *type = spec.type;
    if (length != nullptr) *length = spec.length;
    return kOk;
}

int bind(TymDataIn ds, int var, void* field, int length) {
    if (!known(ds)) return kBadHandle;
    if (var < 1 || var > static_cast<int>(ds->reader->vars().size())) return kBadArgument;
    const VarSpec& spec = ds->reader->vars()[static_cast<size_t>(var) - 1];
    if (field != nullptr) {
        // A numeric field must hold a whole double; a character field at
        // least one byte.
        if (spec.type == TYM_VAR_NUMERIC && length != 0 && length < kNumericLength) return kBadArgument;
        if (spec.type == TYM_VAR_CHAR && length < 1) return kBadArgument;
    }
    ds->bindings[static_cast<size_t>(var) - 1] = {field, length};
    return kOk;
}

int rewind(TymDataIn ds) {
    if (!known(ds)) return kBadHandle;
    ds->observation = 0;
    return ds->reader->rewind();
}

int close_input(TymDataIn ds) {
    if (!known(ds)) return kBadHandle;
    open_inputs().erase(ds);
    delete ds;
    return kOk;
}

int64_t obs_number(TymDataIn ds) { return known(ds) ? ds->observation : int64_t{kBadHandle}; }

const char* input_name(TymDataIn ds) { return known(ds) ? ds->file.display.c_str() : ""; }

const TymDataInVector kDataInVector = {
    sizeof(TymDataInVector),
    [](const TymDataRef* ref) { return guarded(nullptr, open_input, ref); },
    [](TymDataIn ds) { return guarded(kNoMemory, var_count, ds); },
    [](TymDataIn ds, const char* name, int len) { return guarded(0, find_var, ds, name, len); },
    [](TymDataIn ds, int var, char* name, int* type, int* len) {
        return guarded(kNoMemory, var_info, ds, var, name, type, len);
    },
    [](TymDataIn ds, int var, void* field, int len) { return guarded(kNoMemory, bind, ds, var, field, len); },
    [](TymDataIn ds) { return guarded(kNoMemory, read_next, ds); },
    [](TymDataIn ds) { return guarded(kNoMemory, rewind, ds); },
    [](TymDataIn ds) { return guarded(kNoMemory, close_input, ds); },
    obs_number,
    input_name,
    [](TymDataIn ds, int var) { return guarded(kNoMemory, var_findings, ds, var); },
};

}  // namespace

void close_all_inputs() {
    for (TymDataIn ds : open_inputs()) delete ds;
    open_inputs().clear();
}

int open_input_count() { return static_cast<int>(open_inputs().size()); }

}  // namespace data

const TymDataInVector* data_in_vector() { return &data::kDataInVector; }

bool dataset_variables(const TymDataRef& ref, std::vector<VarInfo>& out) {
    out.clear();
    TymDataIn ds = data::open_input(&ref);
    if (ds == nullptr) return false;
    for (const data::VarSpec& spec : ds->reader->vars()) out.push_back(VarInfo{spec.name, spec.type, spec.length});
    data::close_input(ds);
    return true;
}

}  // namespace qmlp::host
