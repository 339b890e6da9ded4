// data_in.cpp -- data set input (vector 7): open, describe, bind, read.
//
// A data set is opened by scanning its whole file once (csv_schema), so
// that every malformed row is reported at open and the module sees a failed
// open rather than a failure half way through its reading.  Reading then
// streams the rows again into the fields the module bound.
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "data/csv_scanner.h"
#include "data/csv_schema.h"
#include "data/csv_value.h"
#include "data/data_internal.h"
#include "data/data_log.h"
#include "data/data_status.h"
#include "data/guard.h"
#include "data/library.h"
#include "data/names.h"
#include "host_api.h"

struct TymDataIn_ {
    struct Binding {
        void* field = nullptr;
        int length = 0;
    };
    int fd = -1;
    qmlp::host::data::DataFile file;
    qmlp::host::data::CsvSchema schema;
    qmlp::host::data::CsvScanner scanner;
    std::vector<Binding> bindings;
    std::vector<std::string> fields;
    int64_t observation = 0;

    TymDataIn_(int descriptor, qmlp::host::data::DataFile f, qmlp::host::data::CsvSchema s)
        : fd(descriptor), file(std::move(f)), schema(std::move(s)), scanner(descriptor), bindings(schema.vars.size()) {
        scanner.seek(schema.data_offset, schema.data_line);
    }
    ~TymDataIn_() { ::close(fd); }
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

void report_bad_file(const DataFile& file, const std::string& what) {
    data_error("Data set " + file.display + " cannot be read: " + file.file + ", " + what + ".");
}

std::string quoted_value(std::string_view text) { return "\"" + printable_text(text) + "\""; }

// What the scan found about a variable's values, said once at each open:
// each finding changes what the module reads from the file.
void report_findings(const DataFile& file, const VarSpec& var_def) {
    const std::string variable = "Variable " + var_def.name + " of data set " + file.display;
    if (var_def.stray_text_line != 0)
        data_warning(variable + " is read as character, although most of its values are numbers: line " +
                     std::to_string(var_def.stray_text_line) + " of " + file.file + " has the value " +
                     quoted_value(var_def.stray_text) + ", which is not a number.");
    if (var_def.cut_line != 0)
        data_warning(variable + " has values longer than its length " + std::to_string(var_def.length) +
                     ", which are cut: line " + std::to_string(var_def.cut_line) + " of " + file.file +
                     " has the value " + quoted_value(var_def.cut_text) + ", read as " +
                     quoted_value(cut_to_length(var_def.cut_text, var_def.length)) + ".");
    if (var_def.merged_line[0] != 0)
        data_warning(variable + " has different values that become the same when cut to its length " +
                     std::to_string(var_def.length) + ": " + quoted_value(var_def.merged_text[0]) + " (line " +
                     std::to_string(var_def.merged_line[0]) + ") and " + quoted_value(var_def.merged_text[1]) +
                     " (line " + std::to_string(var_def.merged_line[1]) + ") are both read as " +
                     quoted_value(cut_to_length(var_def.merged_text[0], var_def.length)) + ".");
}

// Opens and scans a data set; nullptr after an ERROR line.
TymDataIn open_input(const TymDataRef* ref) {
    if (ref == nullptr) return nullptr;
    DataFile file;
    if (!resolve_data_file(*ref, true, file)) return nullptr;
    int fd;
    do {
        fd = ::open(file.file.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT)
            data_error("Data set " + file.display + " does not exist (no file " + file.file + ").");
        else
            data_error("Data set " + file.display + " cannot be opened: " + file.file + ": " + std::strerror(errno) +
                       ".");
        return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        data_error("Data set " + file.display + " cannot be opened: " + file.file + " is not a file.");
        ::close(fd);
        return nullptr;
    }
    CsvSchema schema;
    std::string error;
    if (load_schema(fd, st, schema, error) < 0) {
        report_bad_file(file, error);
        ::close(fd);
        return nullptr;
    }
    for (const VarSpec& var_def : schema.vars) report_findings(file, var_def);
    auto* ds = new TymDataIn_(fd, std::move(file), std::move(schema));
    open_inputs().insert(ds);
    return ds;
}

// Copies a character value into a blank-padded field, cutting it at a
// character boundary when it is longer than the variable or the field.
void store_text(const std::string& value, int var_length, char* field, int field_length) {
    size_t n = std::min({value.size(), static_cast<size_t>(var_length), static_cast<size_t>(field_length)});
    if (n < value.size())
        while (n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80) --n;
    std::memcpy(field, value.data(), n);
    std::memset(field + n, ' ', static_cast<size_t>(field_length) - n);
}

int read_next(TymDataIn ds) {
    if (!known(ds)) return kBadHandle;
    const int rc = ds->scanner.next(ds->fields);
    if (rc == 0) return 1;
    if (rc < 0) {
        report_bad_file(ds->file, ds->scanner.error());
        return rc;
    }
    const std::string where = "line " + std::to_string(ds->scanner.record_line());
    if (ds->fields.size() != ds->schema.vars.size()) {
        report_bad_file(ds->file, where + ": " + row_width_mismatch(ds->fields.size(), ds->schema.vars.size()));
        return kBadData;
    }
    for (size_t v = 0; v < ds->bindings.size(); ++v) {
        const TymDataIn_::Binding& b = ds->bindings[v];
        if (b.field == nullptr) continue;
        const VarSpec& spec = ds->schema.vars[v];
        if (spec.type == TYM_VAR_CHAR) {
            store_text(ds->fields[v], spec.length, static_cast<char*>(b.field), b.length);
            continue;
        }
        double value;
        const ValueClass kind = classify_value(ds->fields[v], &value);
        if (kind != ValueClass::Number && kind != ValueClass::Missing) {
            report_bad_file(ds->file, where + ": the value of the numeric variable " + spec.name +
                                          " is not a number (the file changed while it was read?)");
            return kBadData;
        }
        std::memcpy(b.field, &value, sizeof value);
    }
    ++ds->observation;
    return 0;
}

int var_findings(TymDataIn ds, int var) {
    if (!known(ds)) return kBadHandle;
    if (var < 1 || var > static_cast<int>(ds->schema.vars.size())) return kBadArgument;
    const VarSpec& spec = ds->schema.vars[static_cast<size_t>(var) - 1];
    int found = 0;
    if (spec.stray_text_line != 0) found |= TYM_FOUND_STRAY_TEXT;
    if (spec.cut_line != 0) found |= TYM_FOUND_CUT;
    if (spec.merged_line[0] != 0) found |= TYM_FOUND_MERGED;
    return found;
}

int var_count(TymDataIn ds) { return known(ds) ? static_cast<int>(ds->schema.vars.size()) : kBadHandle; }

int find_var(TymDataIn ds, const char* name, int name_len) {
    if (!known(ds) || name == nullptr) return 0;
    const size_t len = name_len < 0 ? std::strlen(name) : static_cast<size_t>(name_len);
    const std::string_view wanted = trim_right_blanks(std::string_view(name, len));
    for (size_t v = 0; v < ds->schema.vars.size(); ++v)
        if (equal_ignore_case(ds->schema.vars[v].name, wanted)) return static_cast<int>(v) + 1;
    return 0;
}

int var_info(TymDataIn ds, int var, char* name33, int* type, int* length) {
    if (!known(ds)) return kBadHandle;
    if (var < 1 || var > static_cast<int>(ds->schema.vars.size())) return kBadArgument;
    const VarSpec& spec = ds->schema.vars[static_cast<size_t>(var) - 1];
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
    if (var < 1 || var > static_cast<int>(ds->schema.vars.size())) return kBadArgument;
    const VarSpec& spec = ds->schema.vars[static_cast<size_t>(var) - 1];
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
    return ds->scanner.seek(ds->schema.data_offset, ds->schema.data_line);
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
    for (const data::VarSpec& spec : ds->schema.vars) out.push_back(VarInfo{spec.name, spec.type, spec.length});
    data::close_input(ds);
    return true;
}

}  // namespace qmlp::host
