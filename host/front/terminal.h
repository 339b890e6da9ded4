// terminal.h -- statements typed at the terminal during a pause.
//
// The reader prompts "LP> " at the start of a statement and "  > " while a
// statement continues over several lines; several statements on one line
// are delivered one by one.  A break while typing drops the statement begun.
#pragma once

#include <memory>
#include <string>

#include "front/statement_splitter.h"

namespace qmlp::front {

// Where terminal lines come from.
class LineSource {
  public:
    virtual ~LineSource() = default;
    // Shows `prompt`, then reads one line without its newline; false at end
    // of input.  May return early with *interrupted set when a break came.
    virtual bool read_line(const char* prompt, std::string& line, bool* interrupted) = 0;
};

// Reads lines from a file descriptor, prompting on standard error.
std::unique_ptr<LineSource> make_fd_line_source(int fd);
// Reads lines with editing and history (the up arrow recalls earlier
// statements) when standard input and standard error are a terminal;
// nullptr otherwise.
std::unique_ptr<LineSource> make_editing_source_if_terminal();
// The terminal of the program: standard input (with editing when it is a
// terminal, plain reading when statements are piped in), or /dev/tty when
// the program text itself came from standard input (nullptr when there is
// none).
std::unique_ptr<LineSource> make_terminal_source(bool program_from_stdin);

constexpr const char* kPrompt = "LP> ";
constexpr const char* kContinuationPrompt = "  > ";

class TerminalReader {
  public:
    explicit TerminalReader(std::unique_ptr<LineSource> source) : source_(std::move(source)) {}
    // The next complete statement; false at end of input.  Once the input
    // has ended, later reads return false at once unless a break asked for
    // the terminal again.
    bool read_statement(Statement& out);

  private:
    std::unique_ptr<LineSource> source_;
    bool ended_ = false;
    StatementSplitter splitter_;
};

}  // namespace qmlp::front
