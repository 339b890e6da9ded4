// table_output.h -- the sequence of requests by which every printed table
// reaches the host's table output facility.
//
// A data table: create a data object (facility "pvs", kind "data", -1, its
// name and label), define its columns (value type, width, name, buffer),
// end the definitions, open a table on it (template path, table name,
// label), emit one row per line after filling the buffers, end the rows,
// close the table with its handle and forget the handle.
// A factoid (key-value table) is in factoid.h.
//
// Labels are texts of the host's catalogue group 253, fetched by number
// (with their argument when they take one).  Any request the host answers
// with a negative result is reported through the host status report and
// the run ends with end code 0: none of these routines returns then.
#pragma once

#include <cstdint>
#include <span>

#include "base/lp_context.h"

namespace tymlp {

// The facility every object of the table output belongs to.
inline constexpr const char* kTableFacility = "pvs";

// Catalogue group of table labels.
inline constexpr int kLabelGroup = 253;
// Longest label text kept.
inline constexpr int kLabelBytes = 256;

// A label text of catalogue group 253 (empty when the catalogue has none).
struct Label {
    char text[kLabelBytes];
};
Label catalogue_label(int number, const TymArg* arg = nullptr);

// Column value types (tag 103).
enum TableColumnType : int { kColumnInteger = TYM_COL_INT, kColumnDouble = TYM_COL_DOUBLE, kColumnText = TYM_COL_CHAR };

// Creates an object of `kind` on the run's output object: facility, kind,
// the slot the host fills with the object, -1, then the object's own
// attributes (at most four).  Returns the object.
TymObject table_create_object(LpContext* ctx, const char* kind, std::span<const TymAttr> own);

// Step 1: a data object (kind "data", its name and label).
TymObject table_create_data(LpContext* ctx, const char* name, int label);

// Steps 2 and 3: one column (type, width for text columns, name, the buffer
// each row's value is taken from), then the end of the definitions.
void table_define_column(LpContext* ctx, TymObject data, int type, int width, const char* name, const void* buffer);
void table_end_columns(LpContext* ctx, TymObject data);

// Step 4: opens a table on the data object; the handle is also kept as the
// run's open table (end_run closes it when a run ends early).
TymObject table_open(LpContext* ctx, TymObject data, const char* template_path, const char* name, int label);

// Step 5: one row from the current contents of the column buffers.
void table_emit_row(LpContext* ctx, TymObject table);

// Step 6: the end of the rows; `log_stays_open` for an iteration log that
// goes on (tag 300 = 1).
void table_end_rows(LpContext* ctx, TymObject table, bool log_stays_open = false);

// Steps 7 and 8: closes the table and forgets its handle (*table becomes null).
void table_close(LpContext* ctx, TymObject* table);

// Steps 6 to 8 for a table that may not be open: when *table is not null,
// ends its rows and closes it.
void table_finish(LpContext* ctx, TymObject* table, bool log_stays_open = false);

// Releases an object (a data object no longer needed, a factoid) and
// forgets it.
void table_release(LpContext* ctx, TymObject* object);

// Sends one request; a negative result ends the run as described above.
// Returns the (non-negative) result.  While a LogRequests guard lives, a
// negative result is reported and returned instead, and the run goes on.
int table_request(LpContext* ctx, TymObject target, int code, int nattrs, const TymAttr* attrs);

// The iteration logs go on when the host refuses one of their requests: a
// missing log line must not end a solve.  Nested guards are allowed.
class LogRequests {
  public:
    explicit LogRequests(LpContext* ctx) : ctx_(ctx) { ++ctx_->report.log_requests; }
    ~LogRequests() { --ctx_->report.log_requests; }
    LogRequests(const LogRequests&) = delete;
    LogRequests& operator=(const LogRequests&) = delete;

  private:
    LpContext* ctx_;
};

// Opens an output group (name and label) in the innermost open group, or at
// the top; tables made until table_release(group) go into it.
TymObject table_open_group(LpContext* ctx, const char* name, const char* label);

// Attribute builders.
TymAttr attr_int(int tag, int64_t value);
TymAttr attr_double(int tag, double value);
TymAttr attr_text(int tag, const char* text, int length = -1);
TymAttr attr_object(int tag, TymObject object);
TymAttr attr_slot(int tag, TymObject* slot);
TymAttr attr_address(int tag, const void* address);

}  // namespace tymlp
