// statement_splitter.h -- cuts program text into statements.
//
// A statement is the text up to the next ";" that is not inside a quoted
// string or a comment.  Comments are "/* ... */" anywhere outside quotes
// (replaced by one blank) and whole statements whose first character is "*"
// (dropped up to their ";", quotes inside them are plain characters).
// Quoted strings use '...' or "..." with a doubled quote standing for one.
//
// The splitter is incremental, so the terminal reader can feed it line by
// line; a whole program is fed at once and then finished.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qmlp::front {

struct Statement {
    std::string text;        // blanks outside quotes collapsed, trimmed, no ";"
    std::string raw;         // as written (comments removed), trimmed, no ";"
    int line = 0;            // line of its first character (1-based)
    bool terminated = true;  // false: the text ended before its ";"
};

// A problem met while splitting (unclosed quote or comment).
struct SplitProblem {
    bool is_error = false;  // error: the statement was dropped
    int line = 0;
    std::string text;
};

class StatementSplitter {
  public:
    explicit StatementSplitter(int first_line = 1) : line_(first_line) {}

    // Adds text; complete statements become available through next().
    void feed(std::string_view text);
    // Ends the input: a statement without ";" is completed (terminated =
    // false) unless it sits inside an unclosed quote, which is an error.
    void finish();
    // Takes the oldest complete statement; false when there is none.
    bool next(Statement& out);
    // True while a statement (or comment) has begun but is not complete.
    bool partial() const;
    // Drops any partial statement (the terminal reader does this on a break).
    void discard_partial();
    // Problems found so far, in order; take_problems() empties the list.
    std::vector<SplitProblem> take_problems();

  private:
    enum class State { Text, Quote, BlockComment, StarComment };

    void emit(bool terminated);
    void put_char(char c);
    void put_blank();

    State state_ = State::Text;
    char quote_ = 0;              // the quote character while in State::Quote
    bool quote_closing_ = false;  // saw a quote char that may be doubled
    bool slash_pending_ = false;  // saw "/" outside quotes
    bool star_pending_ = false;   // saw "*" inside a block comment
    int line_;
    int stmt_line_ = 0;  // 0 while no character of the statement seen
    int quote_line_ = 0;
    int comment_line_ = 0;
    std::string text_;
    std::string raw_;
    bool blank_pending_ = false;
    std::vector<Statement> ready_;
    size_t ready_head_ = 0;
    std::vector<SplitProblem> problems_;
};

// Splits a whole program text.
std::vector<Statement> split_statements(std::string_view text, std::vector<SplitProblem>* problems = nullptr);

}  // namespace qmlp::front
