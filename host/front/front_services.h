// front_services.h -- the services of the other host parts that the front
// uses, gathered in one replaceable table.
//
// The program reader, the statement parser and the step runner reach the log,
// the data part and the step boundaries only through this table.  It starts
// out bound to the real host parts; unit tests swap single entries for fakes
// (and put the table back with ServicesGuard) so that the front can be tested
// without data sets on disk or a configured log.
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "host_api.h"

namespace qmlp::front {

struct FrontServices {
    // "NOTE: ..." / "WARNING: ..." / "ERROR: ..." lines and raw log lines.
    std::function<void(host::Severity, std::string_view)> log;
    std::function<void(std::string_view)> log_raw;
    // Flush log and listing (before a prompt, before an abnormal end).
    std::function<void()> flush;
    // LIBNAME: false when refused (the data part has logged why).
    std::function<bool(std::string_view, std::string_view)> libname_assign;
    // Variables of a data set in data set order; false when it cannot be
    // opened (the data part has logged why).
    std::function<bool(const TymDataRef&, std::vector<host::VarInfo>&)> dataset_variables;
    // The data set most recently created, the default for DATA=.
    std::function<std::optional<TymDataRef>()> last_dataset;
    // Step boundaries of the data and output parts.
    std::function<void(int step_number)> step_begin;
    std::function<void()> step_end;
};

// The table in use; entries never empty.
FrontServices& services();
// The table bound to the real host parts.
FrontServices real_services();

// Restores the table it found when it goes out of scope.
class ServicesGuard {
  public:
    ServicesGuard() : saved_(services()) {}
    ~ServicesGuard() { services() = saved_; }
    ServicesGuard(const ServicesGuard&) = delete;
    ServicesGuard& operator=(const ServicesGuard&) = delete;

  private:
    FrontServices saved_;
};

// Shorthands for log lines of the front.
void log_note(std::string_view text);
void log_warning(std::string_view text);
void log_error(std::string_view text);

}  // namespace qmlp::front
