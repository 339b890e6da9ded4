// front_services.cpp -- binds the front's service table to the host parts.
#include "front/front_services.h"

namespace qmlp::front {

FrontServices real_services() {
    FrontServices s;
    s.log = [](host::Severity sev, std::string_view text) { host::log_line(sev, text); };
    s.log_raw = [](std::string_view line) { host::log_raw(line); };
    s.flush = [] { host::output_flush(); };
    s.libname_assign = [](std::string_view lib, std::string_view dir) { return host::libname_assign(lib, dir); };
    s.dataset_variables = [](const TymDataRef& ref, std::vector<host::VarInfo>& out) {
        return host::dataset_variables(ref, out);
    };
    s.last_dataset = [] { return host::last_dataset(); };
    s.step_begin = [](int number) {
        host::data_step_begin();
        host::output_step_begin(number, "LP");
    };
    s.step_end = [] {
        host::data_step_end();
        host::output_step_end();
    };
    return s;
}

FrontServices& services() {
    static FrontServices table = real_services();
    return table;
}

void log_note(std::string_view text) { services().log(host::Severity::Note, text); }
void log_warning(std::string_view text) { services().log(host::Severity::Warning, text); }
void log_error(std::string_view text) { services().log(host::Severity::Error, text); }

}  // namespace qmlp::front
