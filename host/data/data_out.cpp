// data_out.cpp -- data set output (vector 8): create, define, write, close.
//
// The engine of the data set's library (engine.h) stores the observations;
// this file holds what every engine shares: the handles, the checks on the
// variables and their names, and the rule that an output data set replaces
// the earlier version only when the module closes it with commit, so a run
// that fails, or a step that ends without closing, never leaves a
// half-written data set and never spoils the one that was there before.
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/csv_schema.h"
#include "data/csv_text.h"
#include "data/data_internal.h"
#include "data/data_log.h"
#include "data/data_status.h"
#include "data/engine.h"
#include "data/guard.h"
#include "data/library.h"
#include "data/names.h"
#include "data/run_files.h"
#include "host_api.h"

struct TymDataOut_ {
    TymDataRef ref{};
    qmlp::host::data::DataFile file;
    std::unique_ptr<qmlp::host::data::OutputWriter> writer;
    int capacity = 0;
    std::vector<qmlp::host::data::OutputVar> vars;
    bool started = false;
    bool failed = false;
    int renamed = 0;  // names that had to be made valid
    std::string first_rename;
};

namespace qmlp::host {
namespace data {
namespace {

std::set<TymDataOut>& open_outputs() {
    // Never destroyed: the clean-up at program exit still needs it.
    static auto* instance = new std::set<TymDataOut>;
    return *instance;
}

bool known(TymDataOut ds) { return ds != nullptr && open_outputs().count(ds) != 0; }

// Writes the first observation's preamble once the variables are final.
int start(TymDataOut ds) {
    ds->started = true;
    if (ds->renamed > 0)
        data_note(std::to_string(ds->renamed) + " variable name(s) of data set " + ds->file.display +
                  " were not valid names and were changed (the first: " + ds->first_rename + ").");
    const int rc = ds->writer->start(ds->vars);
    if (rc < 0) ds->failed = true;
    return rc;
}

// Forgets the handle; an uncommitted data set leaves no trace.
void discard(TymDataOut ds) {
    open_outputs().erase(ds);
    delete ds;
}

// A CSV data set must not replace the program, the MPS file, the log, the
// listing or a report of the run.  An input data set may be replaced by the
// step's output: it has been read by then.  Two outputs of one step naming
// the same data set are allowed as the host has always allowed them: the
// one committed last is the data set.
bool output_file_free(const DataFile& file) {
    const unsigned kinds = run_file_bit(RunFileKind::kInput) | run_file_bit(RunFileKind::kOutput);
    const std::string role = run_files_role_of(file.file, kinds);
    if (role.empty()) return true;
    data_error("Data set " + file.display + " cannot be written: its file " + file.file + " is " + role + ".");
    return false;
}

TymDataOut create(const TymDataRef* ref, int var_count) {
    if (ref == nullptr) return nullptr;
    DataFile file;
    if (!resolve_data_file(*ref, false, file)) return nullptr;
    if (var_count < 0) {
        data_error("Data set " + file.display + " cannot be created with " + std::to_string(var_count) + " variables.");
        return nullptr;
    }
    if (file.engine == Engine::Csv && !output_file_free(file)) return nullptr;
    std::unique_ptr<OutputWriter> writer =
        file.engine == Engine::Sqlite ? create_sqlite_output(file) : create_csv_output(file);
    if (writer == nullptr) return nullptr;
    auto* ds = new TymDataOut_;
    ds->ref = *ref;
    ds->file = std::move(file);
    ds->writer = std::move(writer);
    ds->capacity = var_count;
    open_outputs().insert(ds);
    return ds;
}

// The name under which a variable is written: valid and unique.
std::string output_name(TymDataOut ds, std::string_view wanted) {
    std::string name = make_valid_name(wanted);
    const auto taken = [&](const std::string& candidate) {
        for (const auto& v : ds->vars)
            if (equal_ignore_case(v.name, candidate)) return true;
        return false;
    };
    for (int k = 2; taken(name); ++k) {
        const std::string suffix = "_" + std::to_string(k);
        std::string base = make_valid_name(wanted);
        base.resize(std::min(base.size(), static_cast<size_t>(kMaxNameLength) - suffix.size()));
        name = base + suffix;
    }
    if (name != wanted) {
        if (ds->renamed++ == 0) ds->first_rename = "\"" + std::string(wanted) + "\" became " + name;
    }
    return name;
}

std::string clean_label(const char* label) {
    if (label == nullptr) return {};
    std::string text(label);
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    text.resize(trim_right_blanks(text).size());
    return text;
}

int define(TymDataOut ds, const char* name, int name_len, int type, int length, const char* label,
           const void* address) {
    if (!known(ds)) return kBadHandle;
    if (ds->started) return kWrongState;
    if (name == nullptr || address == nullptr) return kBadArgument;
    if (static_cast<int>(ds->vars.size()) >= ds->capacity) {
        data_error("Data set " + ds->file.display + " was created for " + std::to_string(ds->capacity) +
                   " variables; no more can be defined.");
        return kBadArgument;
    }
    if (type != TYM_VAR_NUMERIC && type != TYM_VAR_CHAR) return kBadArgument;
    if (type == TYM_VAR_CHAR && (length < 1 || length > kMaxCharLength)) return kBadArgument;
    const size_t len = name_len < 0 ? std::strlen(name) : static_cast<size_t>(name_len);
    const std::string_view wanted = trim_right_blanks(std::string_view(name, len));
    if (wanted.empty()) return kBadArgument;
    OutputVar var;
    var.name = output_name(ds, wanted);
    var.type = type;
    var.length = type == TYM_VAR_CHAR ? length : kNumericLength;
    var.label = clean_label(label);
    var.address = address;
    ds->vars.push_back(std::move(var));
    return kOk;
}

int write_record(TymDataOut ds) {
    if (!known(ds)) return kBadHandle;
    if (ds->failed) return kIoFailure;
    if (ds->vars.empty()) return kWrongState;
    if (!ds->started && start(ds) < 0) return kIoFailure;
    const int rc = ds->writer->write(ds->vars);
    if (rc < 0) ds->failed = true;
    return rc;
}

// Set when an output data set asked to be kept could not be written: the
// step may already have ended normally, but the command must not report
// success for output it lost.
bool g_commit_failed = false;

int commit(TymDataOut ds) {
    if (ds->vars.empty()) {
        data_error("Data set " + ds->file.display + " has no variables and is not written.");
        return kWrongState;
    }
    if (!ds->started && start(ds) < 0) return kIoFailure;
    const int rc = ds->writer->commit(ds->vars);
    if (rc < 0) {
        ds->failed = true;
        return rc;
    }
    set_last_dataset(ds->ref);
    return kOk;
}

int close_output(TymDataOut ds, int do_commit) {
    if (!known(ds)) return kBadHandle;
    int rc = kOk;
    if (do_commit) {
        rc = ds->failed ? kIoFailure : commit(ds);
        if (rc < 0) {
            data_error("Data set " + ds->file.display + " was not written; an earlier version, if any, is kept.");
            g_commit_failed = true;  // the run must not end as a success
        }
    }
    discard(ds);
    return rc;
}

const char* output_name_of(TymDataOut ds) { return known(ds) ? ds->file.display.c_str() : ""; }

const TymDataOutVector kDataOutVector = {
    sizeof(TymDataOutVector),
    [](const TymDataRef* ref, int count) { return guarded(nullptr, create, ref, count); },
    [](TymDataOut ds, const char* name, int len, int type, int length, const char* label, const void* address) {
        return guarded(kNoMemory, define, ds, name, len, type, length, label, address);
    },
    [](TymDataOut ds) { return guarded(kNoMemory, write_record, ds); },
    [](TymDataOut ds, int do_commit) { return guarded(kNoMemory, close_output, ds, do_commit); },
    output_name_of,
};

}  // namespace

void discard_all_outputs() {
    while (!open_outputs().empty()) discard(*open_outputs().begin());
}

int open_output_count() { return static_cast<int>(open_outputs().size()); }

}  // namespace data

const TymDataOutVector* data_out_vector() { return &data::kDataOutVector; }

bool data_output_lost() {
    const bool lost = data::g_commit_failed;
    data::g_commit_failed = false;
    return lost;
}

}  // namespace qmlp::host
