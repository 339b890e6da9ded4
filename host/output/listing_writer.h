// listing_writer.h -- the text listing: titled tables with aligned columns,
// factoids as label/value pairs, matrices with row labels, written to
// standard output or the --listing file as each table completes.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "output/staged_output.h"

#include "output/output_model.h"

namespace qmlp::host::output {

// Widest listing line; wider tables are split into panels that repeat the
// first (label) column.
constexpr size_t kListingLineWidth = 120;
// Blanks between two columns of a table.
constexpr size_t kColumnGap = 2;

// A cell as the listing shows it (numbers in best format, texts without
// trailing blanks).
std::string listing_cell(const Cell& cell, const Column& column);
// A factoid value as the listing shows it.
std::string listing_entry_value(const FactoidEntry& entry);

// The whole text of a complete table (title, subtitle, keys, header, rows,
// note), without group or step headings.  Used for tests and by the writer.
std::string render_table_text(const Table& table);

class ListingWriter {
  public:
    // Empty path = standard output.  False (and standard output) on failure.
    bool open(const std::string& path, std::string* error);
    // Closes the file; a failure to write the last of it counts as a
    // write failure.  A listing staged beside an existing file is moved
    // over it; false and *message when it could not or must not be.
    bool close(std::string* message = nullptr);
    void flush();
    // Whether some text could not be written (a full device, a lost disk),
    // and the system's reason for the first failure.
    bool failed() const { return failed_; }
    const std::string& failure() const { return failure_; }

    void step_begin(const Step& step);
    // Writes a complete table, or the rest of a live one.
    void write_complete(Table& table);
    // Fixes the layout of an open table (once) and writes its new rows.
    void write_live(Table& table);

  private:
    void write(const std::string& text);
    void headings(const Table& table);
    void note_failure(int error_number);

    std::FILE* file_ = nullptr;
    bool owned_ = false;
    StagedOutput staged_;
    const Step* pending_step_ = nullptr;
    std::vector<const Group*> last_groups_;
    bool wrote_anything_ = false;
    bool failed_ = false;
    std::string failure_;
};

}  // namespace qmlp::host::output
