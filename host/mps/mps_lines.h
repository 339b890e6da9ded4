// mps_lines.h -- the lines of an MPS text, from memory or from a file that
// may be gzip-compressed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qmlp::host::mps {

// Lines longer than this are refused: no MPS line comes near it, and a
// binary or corrupted file must not make the reader buffer without limit.
inline constexpr std::size_t kMaxLineLength = 1 << 20;

// Splits a byte stream into lines (LF or CRLF; a final line without LF
// counts).  Subclasses supply the bytes.
class LineSource {
  public:
    virtual ~LineSource() = default;
    LineSource(const LineSource&) = delete;
    LineSource& operator=(const LineSource&) = delete;

    // 1: `line` holds the next line without its end-of-line characters;
    // 0: end of input; -1: the input failed (error() says why).
    int next(std::string& line);
    const std::string& error() const { return error_; }

  protected:
    LineSource() = default;
    // Reads up to `capacity` bytes into `buffer`: the count, 0 at the end of
    // the input, -1 on failure (after setting error_).
    virtual long fill(char* buffer, std::size_t capacity) = 0;
    std::string error_;

  private:
    static constexpr std::size_t kChunk = 1 << 16;
    std::string pending_;
    std::size_t start_ = 0;
    bool at_end_ = false;
};

// Lines of a text held in memory (tests, fuzzing).
class TextLineSource final : public LineSource {
  public:
    explicit TextLineSource(std::string_view text) : text_(text) {}

  protected:
    long fill(char* buffer, std::size_t capacity) override;

  private:
    std::string_view text_;
    std::size_t offset_ = 0;
};

// Lines of a file; gzip data is recognised by its magic bytes and
// decompressed, anything else is read as it is.  A truncated or corrupt
// gzip stream is an input failure, not an early end of file.
class FileLineSource final : public LineSource {
  public:
    FileLineSource() = default;
    ~FileLineSource() override;
    // false (error() set) when the file cannot be opened.
    bool open(const std::string& path);

  protected:
    long fill(char* buffer, std::size_t capacity) override;

  private:
    void* gz_ = nullptr;  // gzFile, kept opaque so zlib stays out of this header
};

}  // namespace qmlp::host::mps
