// csv_scanner.h -- splits a data set file into records of fields.
//
// The file format is comma-separated values: fields separated by commas,
// records by LF or CRLF (a lone CR counts as a line end too), a field in
// double quotes may hold commas, line breaks and doubled quotes.  A UTF-8
// byte-order mark at the start of the file is skipped; lines with nothing on
// them are skipped.  The scanner streams the file through a fixed buffer, so
// memory stays bounded by the longest record, and it refuses what cannot be
// text: a value over 1 MiB, a zero byte, bytes that are not UTF-8, a quote
// left open at the end of the file, text after a closing quote.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qmlp::host::data {

inline constexpr int64_t kMaxFieldBytes = 1 << 20;

class CsvScanner {
  public:
    // Reads from fd (not owned), starting at the file's beginning.
    explicit CsvScanner(int fd);

    // Continues at a byte offset that starts a record on `line`.  0 or
    // a negative status.
    int seek(int64_t offset, int64_t line);

    // The next record: 1 when `fields` holds one, 0 at the end of the
    // file, negative on failure (error() says what and where).
    int next(std::vector<std::string>& fields);

    int64_t record_line() const { return record_line_; }  // first line of the last record
    int64_t offset() const { return buffer_offset_ + static_cast<int64_t>(pos_); }
    int64_t line() const { return line_; }
    const std::string& error() const { return error_; }

  private:
    static constexpr size_t kBufferBytes = 64 * 1024;
    static constexpr int kEof = -1;

    int peek();  // next byte or kEof (refills); kIoError sets failed_
    void advance() { ++pos_; }
    int fail(int status, int64_t line, const std::string& what);
    int read_quoted(std::string& field);
    int read_unquoted(std::string& field);
    int check_field(const std::string& field, int64_t first_line);
    void skip_bom();

    int fd_;
    std::unique_ptr<char[]> buffer_;  // kBufferBytes, filled only as far as read
    size_t pos_ = 0;
    size_t len_ = 0;
    int64_t buffer_offset_ = 0;  // file offset of buffer_[0]
    int64_t line_ = 1;
    int64_t record_line_ = 0;
    bool io_failed_ = false;
    std::string error_;
};

// True when `text` is well-formed UTF-8; else *bad is the offset of the
// first byte that is not.
bool is_valid_utf8(std::string_view text, size_t* bad);

// The rules every character value of a data set meets, whichever engine
// holds it: at most 1 MiB, no zero byte, well-formed UTF-8.  Returns null
// when `value` meets them, else what is wrong with it ("is not valid UTF-8").
const char* text_rule_broken(std::string_view value);

}  // namespace qmlp::host::data
