// statement_splitter.cpp -- the character-level state machine that finds
// statement ends, quotes and comments.
#include "front/statement_splitter.h"

#include <cctype>

namespace qmlp::front {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

void trim_right(std::string& s) {
    while (!s.empty() && is_blank(s.back())) s.pop_back();
}

}  // namespace

void StatementSplitter::put_char(char c) {
    if (stmt_line_ == 0) stmt_line_ = line_;
    if (blank_pending_ && !text_.empty()) text_ += ' ';
    blank_pending_ = false;
    text_ += c;
    raw_ += c;
}

void StatementSplitter::put_blank() {
    if (stmt_line_ == 0) return;  // leading blanks belong to no statement
    blank_pending_ = true;
}

void StatementSplitter::emit(bool terminated) {
    if (stmt_line_ != 0) {
        trim_right(raw_);
        ready_.push_back(Statement{text_, raw_, stmt_line_, terminated});
    }
    text_.clear();
    raw_.clear();
    stmt_line_ = 0;
    blank_pending_ = false;
}

void StatementSplitter::feed(std::string_view input) {
    for (size_t i = 0; i < input.size(); ++i) {
        const char c = input[i];
        switch (state_) {
            case State::Quote:
                if (quote_closing_) {
                    quote_closing_ = false;
                    if (c == quote_) {  // a doubled quote stands for one
                        put_char(c);
                        break;
                    }
                    state_ = State::Text;
                    --i;  // the character after the closing quote is text
                    continue;
                }
                put_char(c);
                if (c == quote_) quote_closing_ = true;
                break;
            case State::BlockComment:
                if (star_pending_ && c == '/') {
                    state_ = State::Text;
                    star_pending_ = false;
                    put_blank();
                    if (stmt_line_ != 0) raw_ += ' ';
                } else {
                    star_pending_ = (c == '*');
                }
                break;
            case State::StarComment:
                if (c == ';') state_ = State::Text;
                break;
            case State::Text:
                if (slash_pending_) {
                    slash_pending_ = false;
                    if (c == '*') {
                        state_ = State::BlockComment;
                        comment_line_ = line_;
                        break;
                    }
                    put_char('/');
                }
                if (c == '/') {
                    slash_pending_ = true;
                } else if (c == '*' && stmt_line_ == 0) {
                    state_ = State::StarComment;
                } else if (c == ';') {
                    emit(true);
                } else if (c == '\'' || c == '"') {
                    put_char(c);
                    state_ = State::Quote;
                    quote_ = c;
                    quote_line_ = line_;
                } else if (is_blank(c)) {
                    put_blank();
                    if (stmt_line_ != 0) raw_ += c;
                } else {
                    put_char(c);
                }
                break;
        }
        if (c == '\n') ++line_;
    }
}

void StatementSplitter::finish() {
    if (slash_pending_) {
        slash_pending_ = false;
        put_char('/');
    }
    if (state_ == State::Quote && quote_closing_) {
        quote_closing_ = false;
        state_ = State::Text;
    }
    switch (state_) {
        case State::Quote:
            problems_.push_back({true, quote_line_,
                                 "The quoted string that starts on line " + std::to_string(quote_line_) +
                                     " is not closed; the statement that contains it is ignored."});
            text_.clear();
            raw_.clear();
            stmt_line_ = 0;
            blank_pending_ = false;
            break;
        case State::BlockComment:
            // Everything after an unclosed "/*" would silently go unread.
            problems_.push_back({true, comment_line_,
                                 "The comment that starts on line " + std::to_string(comment_line_) +
                                     " is not closed: the text after it, up to the end, is not run."});
            break;
        case State::StarComment:
        case State::Text: break;
    }
    state_ = State::Text;
    star_pending_ = false;
    emit(false);
}

bool StatementSplitter::next(Statement& out) {
    if (ready_head_ >= ready_.size()) return false;
    out = std::move(ready_[ready_head_++]);
    if (ready_head_ == ready_.size()) {
        ready_.clear();
        ready_head_ = 0;
    }
    return true;
}

bool StatementSplitter::partial() const { return state_ != State::Text || stmt_line_ != 0 || slash_pending_; }

void StatementSplitter::discard_partial() {
    state_ = State::Text;
    quote_closing_ = false;
    slash_pending_ = false;
    star_pending_ = false;
    text_.clear();
    raw_.clear();
    stmt_line_ = 0;
    blank_pending_ = false;
}

std::vector<SplitProblem> StatementSplitter::take_problems() {
    std::vector<SplitProblem> out;
    out.swap(problems_);
    return out;
}

std::vector<Statement> split_statements(std::string_view text, std::vector<SplitProblem>* problems) {
    StatementSplitter splitter;
    splitter.feed(text);
    splitter.finish();
    std::vector<Statement> out;
    Statement s;
    while (splitter.next(s)) out.push_back(std::move(s));
    if (problems) *problems = splitter.take_problems();
    return out;
}

}  // namespace qmlp::front
