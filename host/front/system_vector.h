// system_vector.h -- the system vector (number 4): clock, number and name
// formatting, host settings, portable integers and missing values.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tym_host.h"

namespace qmlp::front {

// Settings the module may ask for ("DEBUG", "$GENERIC"), keys upper-case.
void set_host_settings(const std::map<std::string, std::string>& settings);

// The formatting entries, exposed for tests.  Each writes exactly `width`
// characters and a terminating zero into buf (width + 1 bytes).
int format_int(int64_t value, int width, char* buf);
int format_double(double value, int width, char* buf);
int format_name(const char* format, int64_t value, int width, char* buf);

uint32_t int4_to_portable(int32_t value);
int32_t int4_from_portable(uint32_t value);

const TymSystemVector* system_vector();

}  // namespace qmlp::front
