// log_sink.h -- where log lines go (standard error or the --log file) and
// how a long message is folded into continuation lines.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "host_api.h"

namespace qmlp::host::output {

// Longest log line before a message is folded at a blank.
constexpr size_t kLogLineWidth = 100;
// Continuation lines of a folded message start with this many blanks.
constexpr size_t kLogContinuationIndent = 6;

// Opens the log (empty path = standard error).  On failure the log stays on
// standard error and an ERROR line says why; returns false then.
bool log_open(const std::string& path);
// True when every log line so far was written; otherwise reports the
// failure on standard error and returns false.
bool log_check_written();
// Closes the log file; a log staged beside an existing file is moved over
// it now (see staged_output.h); false after reporting a refusal on
// standard error.
bool log_close();
std::FILE* log_stream();

const char* severity_prefix(Severity severity);  // "NOTE: ", "WARNING: ", "ERROR: "

// The lines of a message: prefix + text folded at blanks to width, every
// continuation indented; an embedded newline always starts a new line.
std::string fold_message(std::string_view prefix, std::string_view text, size_t width = kLogLineWidth);

}  // namespace qmlp::host::output
