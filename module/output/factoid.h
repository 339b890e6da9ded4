// factoid.h -- key-value tables ("factoids") such as the problem and
// solution summaries.
//
// A factoid is an object of kind "factoid" carrying its template path,
// table name and label; entries are added one by one (a label text and a
// value: text, integer, or double with an optional width and decimals, or
// a keyed entry such as "SubTitles"), then the entries are ended and the
// object is released.  Failures end the run as for data tables
// (table_output.h).
#pragma once

#include <cstdint>

#include "output/table_output.h"

namespace tymlp {

struct Factoid {
    LpContext* ctx;
    TymObject object;
};

// Width and decimals of a double entry; 0 and -1 leave the choice to the host.
inline constexpr int kHostWidth = 0;
inline constexpr int kHostDecimals = -1;

Factoid factoid_open(LpContext* ctx, const char* template_path, const char* name, int label);
// The same with a label text already fetched (a label with an argument).
Factoid factoid_open_text(LpContext* ctx, const char* template_path, const char* name, const char* label);

// Entries labelled with a text (the catalogue number variants fetch it).
void factoid_text(Factoid& f, const char* label, const char* value, int length = -1);
void factoid_int(Factoid& f, const char* label, int64_t value);
void factoid_double(Factoid& f, const char* label, double value, int width = kHostWidth, int decimals = kHostDecimals);

// A spacer line: label " ", value " ".
void factoid_spacer(Factoid& f);

// A keyed entry (tag 311), e.g. "SubTitles" with the subtitle text.
void factoid_key(Factoid& f, const char* key, const char* value, int length = -1);

// Ends the entries and releases the object.
void factoid_close(Factoid& f);

}  // namespace tymlp
