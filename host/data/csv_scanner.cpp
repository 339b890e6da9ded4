#include "data/csv_scanner.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>

#include "data/data_status.h"

namespace qmlp::host::data {
namespace {

constexpr unsigned char kBom[] = {0xEF, 0xBB, 0xBF};

// Length of the UTF-8 sequence that starts at text[i], 0 when it is not
// well formed (overlong forms, surrogates and code points past U+10FFFF
// included).
size_t utf8_sequence(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const auto cont = [&](size_t k) { return k < text.size() && (byte(k) & 0xC0) == 0x80; };
    const unsigned char b = byte(i);
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) return cont(i + 1) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (!cont(i + 1) || !cont(i + 2)) return 0;
        const unsigned char b1 = byte(i + 1);
        if (b == 0xE0 && b1 < 0xA0) return 0;   // overlong
        if (b == 0xED && b1 >= 0xA0) return 0;  // surrogate
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (!cont(i + 1) || !cont(i + 2) || !cont(i + 3)) return 0;
        const unsigned char b1 = byte(i + 1);
        if (b == 0xF0 && b1 < 0x90) return 0;   // overlong
        if (b == 0xF4 && b1 >= 0x90) return 0;  // past U+10FFFF
        return 4;
    }
    return 0;
}

}  // namespace

bool is_valid_utf8(std::string_view text, size_t* bad) {
    size_t i = 0;
    while (i < text.size()) {
        const size_t n = utf8_sequence(text, i);
        if (n == 0) {
            if (bad) *bad = i;
            return false;
        }
        i += n;
    }
    return true;
}

CsvScanner::CsvScanner(int fd) : fd_(fd), buffer_(new char[kBufferBytes]) { skip_bom(); }

void CsvScanner::skip_bom() {
    unsigned char head[sizeof kBom];
    ssize_t got;
    do {
        got = pread(fd_, head, sizeof head, 0);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof head) && std::equal(head, head + sizeof head, kBom)) {
        buffer_offset_ = sizeof head;
        pos_ = len_ = 0;
    }
}

int CsvScanner::seek(int64_t offset, int64_t line) {
    if (offset < 0) return kBadArgument;
    buffer_offset_ = offset;
    pos_ = len_ = 0;
    line_ = line;
    io_failed_ = false;
    error_.clear();
    if (offset == 0) skip_bom();
    return kOk;
}

int CsvScanner::peek() {
    if (pos_ < len_) return static_cast<unsigned char>(buffer_[pos_]);
    if (io_failed_) return kEof;
    buffer_offset_ += static_cast<int64_t>(len_);
    pos_ = len_ = 0;
    ssize_t got;
    do {
        got = pread(fd_, buffer_.get(), kBufferBytes, buffer_offset_);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        io_failed_ = true;
        return kEof;
    }
    len_ = static_cast<size_t>(got);
    return len_ == 0 ? kEof : static_cast<unsigned char>(buffer_[0]);
}

int CsvScanner::fail(int status, int64_t line, const std::string& what) {
    error_ = "line " + std::to_string(line) + ": " + what;
    return status;
}

int CsvScanner::read_unquoted(std::string& field) {
    for (;;) {
        const int c = peek();
        if (c == kEof || c == ',' || c == '\n' || c == '\r') return kOk;
        if (c == 0) return fail(kBadData, line_, "a zero byte (this is not a text file)");
        if (static_cast<int64_t>(field.size()) >= kMaxFieldBytes)
            return fail(kBadData, line_, "a value longer than 1 MiB (the line is too long)");
        // Copy the run of ordinary bytes in one go.
        const char* begin = buffer_.get() + pos_;
        const char* end = buffer_.get() + len_;
        const char* stop =
            std::find_if(begin, end, [](char ch) { return ch == ',' || ch == '\n' || ch == '\r' || ch == '\0'; });
        const size_t room = static_cast<size_t>(kMaxFieldBytes) - field.size();
        const size_t take = std::min(static_cast<size_t>(stop - begin), room + 1);
        field.append(begin, take);
        pos_ += take;
        if (static_cast<int64_t>(field.size()) > kMaxFieldBytes)
            return fail(kBadData, line_, "a value longer than 1 MiB (the line is too long)");
    }
}

int CsvScanner::read_quoted(std::string& field) {
    const int64_t first_line = line_;
    advance();  // the opening quote
    for (;;) {
        const int c = peek();
        if (c == kEof) {
            if (io_failed_) return fail(kIoFailure, line_, "the file cannot be read");
            return fail(kBadData, first_line, "the quoted value that starts here is not closed");
        }
        advance();
        if (c == '"') {
            if (peek() == '"') {
                advance();
                field += '"';
                continue;
            }
            while (peek() == ' ' || peek() == '\t') advance();
            const int next = peek();
            if (next == ',' || next == '\n' || next == '\r' || next == kEof) return kOk;
            return fail(kBadData, line_, "text after the closing quote of a value");
        }
        if (c == 0) return fail(kBadData, line_, "a zero byte (this is not a text file)");
        if (c == '\n') ++line_;
        field += static_cast<char>(c);
        if (static_cast<int64_t>(field.size()) > kMaxFieldBytes)
            return fail(kBadData, first_line, "a quoted value longer than 1 MiB starts here (is a quote missing?)");
    }
}

int CsvScanner::check_field(const std::string& field, int64_t first_line) {
    size_t bad = 0;
    if (is_valid_utf8(field, &bad)) return kOk;
    const int64_t line = first_line + std::count(field.begin(), field.begin() + static_cast<long>(bad), '\n');
    return fail(kBadData, line, "the text is not valid UTF-8");
}

int CsvScanner::next(std::vector<std::string>& fields) {
    size_t count = 0;
    // Skip empty lines before the record.
    for (;;) {
        const int c = peek();
        if (c == kEof) {
            fields.clear();
            if (io_failed_) return fail(kIoFailure, line_, "the file cannot be read");
            return 0;
        }
        if (c == '\n') {
            advance();
            ++line_;
        } else if (c == '\r') {
            advance();
            if (peek() == '\n') advance();
            ++line_;
        } else {
            break;
        }
    }
    record_line_ = line_;
    for (;;) {
        if (count == fields.size()) fields.emplace_back();
        std::string& field = fields[count++];
        field.clear();
        const int64_t first_line = line_;
        int rc = (peek() == '"') ? read_quoted(field) : read_unquoted(field);
        if (rc < 0) return rc;
        rc = check_field(field, first_line);
        if (rc < 0) return rc;
        const int c = peek();
        if (c == ',') {
            advance();
            continue;
        }
        if (c == '\n') {
            advance();
            ++line_;
        } else if (c == '\r') {
            advance();
            if (peek() == '\n') advance();
            ++line_;
        } else if (io_failed_) {
            return fail(kIoFailure, line_, "the file cannot be read");
        }
        break;
    }
    fields.resize(count);
    return 1;
}

const char* text_rule_broken(std::string_view value) {
    if (static_cast<int64_t>(value.size()) > kMaxFieldBytes) return "is longer than 1 MiB";
    if (value.find('\0') != std::string_view::npos) return "holds a zero byte";
    if (!is_valid_utf8(value, nullptr)) return "is not valid UTF-8";
    return nullptr;
}

}  // namespace qmlp::host::data
