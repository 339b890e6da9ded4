// output_session.h -- the output part's state for one run of qmlp: the
// document being built, the current step and its open groups, the listing
// and the settings of output_configure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host_api.h"
#include "output/listing_writer.h"
#include "output/output_model.h"

namespace qmlp::host::output {

// A table still open after this many rows, or this long, starts to stream
// into the listing row by row (iteration logs of a long solve).
constexpr size_t kLiveRowThreshold = 200;
constexpr int64_t kLiveAfterMs = 2000;

struct OutputSession {
    std::string listing_file;
    std::string json_file;
    std::string html_file;
    bool keep_rows = false;  // JSON or HTML asked for: keep every row until the end
    Document document;
    Step* step = nullptr;             // the step in progress
    std::vector<Group*> open_groups;  // innermost last
    ListingWriter listing;
    int next_table_id = 1;
    int next_group_id = 1;
};

OutputSession& session();

// The step in progress; begins an unnamed step 0 when none is.
Step& current_step();

int64_t clock_ms();

// Group chain of g, outermost first.
std::vector<const Group*> group_chain(const Group* g);
Group* innermost_open_group();

Group& add_group(Group* parent, std::string name, std::string label);
void close_group(const Group* g);  // closes g and every group opened inside it
Table& add_table(TableKind kind, const Group* group);

// Called by the protocol as a table grows and when it is complete.
void table_rows_added(Table& table);
void table_completed(Table& table);

// Writes what the open tables hold so far (they become live).
void flush_open_tables();

// The protocol's per-step objects (table_protocol.cpp).
void protocol_step_begin();
void protocol_step_end();

}  // namespace qmlp::host::output
