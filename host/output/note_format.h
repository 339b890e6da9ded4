// note_format.h -- printf-style formatting of the module's note lines.
//
// Directives: flags "-+ #0", a width and a precision (digits or "*"), the
// length modifiers h, hh, l, ll, L, j, t, and the conversions d i u o x X c
// s e E f F g G p %.  "%Nz" (N digits, ignored) is the host's own directive:
// it writes nothing and makes the line a NOTE: line.  "%n" is refused (it
// would write through an argument) and printed as it stands, as is any
// unknown directive.
#pragma once

#include <cstdarg>
#include <string>

namespace qmlp::host::output {

struct NoteText {
    std::string text;
    bool note_prefix = false;  // the format held a %Nz directive
};

NoteText format_note(const char* format, va_list args);

}  // namespace qmlp::host::output
