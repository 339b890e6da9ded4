#include "data/data_log.h"

#include "data/data_status.h"

namespace qmlp::host::data {
namespace {

LogObserver& observer() {
    // Never destroyed: the clean-up at program exit still needs it.
    static auto* instance = new LogObserver;
    return *instance;
}

void emit(Severity severity, std::string_view text) {
    log_line(severity, text);
    if (observer()) observer()(severity, std::string(text));
}

}  // namespace

void data_error(std::string_view text) { emit(Severity::Error, text); }
void data_warning(std::string_view text) { emit(Severity::Warning, text); }
void data_note(std::string_view text) { emit(Severity::Note, text); }
void set_log_observer(LogObserver o) { observer() = std::move(o); }

const char* status_text(int status) {
    switch (status) {
        case kOk: return "success";
        case kBadHandle: return "unknown or closed handle";
        case kBadArgument: return "argument out of range";
        case kIoFailure: return "input/output failure";
        case kPastEnd: return "read past the end of the file";
        case kBadData: return "malformed data set";
        case kNoMemory: return "out of memory";
        case kWrongState: return "operation not allowed in this state";
        default: return "unknown status";
    }
}

}  // namespace qmlp::host::data
