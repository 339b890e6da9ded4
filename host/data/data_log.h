// data_log.h -- log lines of the data part.
//
// Every line goes to the host log (log_line).  Tests may add an observer that
// sees each line as well, so that they can check what a user would read.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "host_api.h"

namespace qmlp::host::data {

void data_error(std::string_view text);
void data_warning(std::string_view text);
void data_note(std::string_view text);

using LogObserver = std::function<void(Severity, const std::string&)>;
// Installs an observer (an empty one removes it).
void set_log_observer(LogObserver observer);

}  // namespace qmlp::host::data
