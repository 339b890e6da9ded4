// statement_parser.cpp -- recursive-descent parsing of one statement against
// the grammar tables.
#include "front/statement_parser.h"

#include <cstring>

#include "front/front_services.h"
#include "front/lexer.h"

namespace qmlp::front {

const char* ParsedStatement::keep(std::string s) {
    strings.push_back(std::move(s));
    return strings.back().c_str();
}

void report_syntax_error(ParsedStatement& out, std::string_view reason) {
    out.record.error = kRecordSyntaxError;
    log_error("Syntax error in statement \"" + message_text(out.text) + "\": " + std::string(reason) + ".");
}

namespace {

// Longest member or library name of a data set reference, and longest path.
constexpr size_t kDataNameMax = sizeof(TymDataRef::member) - 1;
constexpr size_t kDataPathMax = sizeof(TymDataRef::path) - 1;

const char* kind_name(TokenKind k) {
    switch (k) {
        case TokenKind::Word: return "word";
        case TokenKind::Number: return "number";
        case TokenKind::String: return "string";
        case TokenKind::Punct: return "punctuation";
        case TokenKind::End: return "end";
    }
    return "?";
}

class Parser {
  public:
    Parser(const GrammarView& g, int debug, ParsedStatement& out) : g_(g), debug_(debug), out_(out) {}

    bool run();

  private:
    const Token& peek() const { return tokens_[pos_]; }
    const Token& take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }
    bool peek_punct(char c) const { return peek().kind == TokenKind::Punct && peek().text[0] == c; }
    bool fail(const std::string& reason) {
        if (!failed_) report_syntax_error(out_, reason);
        failed_ = true;
        return false;
    }

    bool option(const TymOptionDef& opt, const std::string& kw);
    bool expect_equals(const std::string& kw);
    bool signed_number(const std::string& what, double* value);
    bool pair(const TymOptionDef& opt, const std::string& kw);
    bool dataset(const TymOptionDef& opt, const std::string& kw);
    bool list(const TymOptionDef& opt, const std::string& kw);
    bool varname();
    void set_flag(int bit) { out_.record.flags[bit / 8] |= static_cast<uint8_t>(1u << (bit % 8)); }
    void set_slot(int slot, double v) {
        out_.record.values[slot].given = 1;
        out_.record.values[slot].value = v;
    }

    const GrammarView& g_;
    int debug_;
    ParsedStatement& out_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    bool failed_ = false;
};

bool Parser::run() {
    bool unclosed = false;
    tokens_ = tokenize(out_.text, &unclosed);
    if (debug_ & kTraceSyntax) {
        for (const Token& t : tokens_)
            if (t.kind != TokenKind::End)
                log_note(std::string("Parser token: ") + kind_name(t.kind) + " " + token_display(t));
    }
    if (unclosed) return fail("a quoted string is not closed");

    const Token& head = take();
    if (head.kind != TokenKind::Word) return fail("expected a statement name, found " + token_display(head));
    out_.name = to_upper(head.text);
    const int kw = g_.keyword_index(head.text);
    out_.def = kw >= 0 ? g_.statement(kw) : nullptr;
    if (!out_.def) return fail("unknown statement " + out_.name);
    out_.record.statement = out_.def->number;

    while (peek().kind != TokenKind::End) {
        const Token& t = peek();
        if (t.kind == TokenKind::Word) {
            const int k = g_.keyword_index(t.text);
            const TymOptionDef* opt = k >= 0 ? g_.option(*out_.def, k) : nullptr;
            if (opt) {
                take();
                if (!option(*opt, g_.keyword(k))) return false;
                continue;
            }
            if (out_.is_varlist()) {
                if (!varname()) return false;
                continue;
            }
            return fail("unknown option " + token_display(t));
        }
        if (out_.is_varlist()) return fail("expected a variable name, found " + token_display(t));
        return fail("expected an option, found " + token_display(t));
    }
    return true;
}

bool Parser::expect_equals(const std::string& kw) {
    if (peek_punct('=')) {
        take();
        return true;
    }
    return fail("expected \"=\" after " + kw + ", found " + token_display(peek()));
}

bool Parser::signed_number(const std::string& what, double* value) {
    double sign = 1;
    if (peek_punct('-') || peek_punct('+')) {
        if (take().text[0] == '-') sign = -1;
    }
    const Token& t = peek();
    if (t.kind != TokenKind::Number) return fail("expected a number " + what + ", found " + token_display(t));
    take();
    *value = sign * t.number;
    return true;
}

bool Parser::option(const TymOptionDef& opt, const std::string& kw) {
    switch (opt.kind) {
        case TYM_OPT_FLAG:
            if (peek_punct('=')) return fail(kw + " takes no value, found \"=\"");
            set_flag(opt.bit);
            return true;
        case TYM_OPT_NUMBER: {
            double v = 0;
            if (!expect_equals(kw) || !signed_number("after " + kw + "=", &v)) return false;
            set_slot(opt.slot, v);
            return true;
        }
        case TYM_OPT_CHOICE: {
            if (!expect_equals(kw)) return false;
            if (peek().kind == TokenKind::Word) {
                const Token& t = take();
                int value = 0;
                const int k = g_.keyword_index(t.text);
                if (k < 0 || !g_.choice(opt, k, &value))
                    return fail("unknown value " + token_display(t) + " for " + kw + "=");
                set_slot(opt.slot, value);
                return true;
            }
            double v = 0;
            if (!signed_number("or a value keyword after " + kw + "=", &v)) return false;
            set_slot(opt.slot, v);
            return true;
        }
        case TYM_OPT_PAIR: return expect_equals(kw) && pair(opt, kw);
        case TYM_OPT_DATASET: return expect_equals(kw) && dataset(opt, kw);
        case TYM_OPT_FLAG_VALUE: {
            set_flag(opt.bit);
            if (!peek_punct('=')) return true;
            take();
            double v = 0;
            if (!signed_number("after " + kw + "=", &v)) return false;
            set_slot(opt.slot, v);
            return true;
        }
        case TYM_OPT_FLAG_PAIR:
            set_flag(opt.bit);
            if (!peek_punct('=')) return true;
            take();
            return pair(opt, kw);
        case TYM_OPT_LIST: set_flag(opt.bit); return list(opt, kw);
    }
    return fail("option " + kw + " has an unknown kind");
}

bool Parser::pair(const TymOptionDef& opt, const std::string& kw) {
    if (!peek_punct('(')) return fail("expected \"(\" after " + kw + "=, found " + token_display(peek()));
    take();
    double a = 0, b = 0;
    if (!signed_number("in " + kw + "=(a, b)", &a)) return false;
    if (peek_punct(',')) take();
    if (!signed_number("in " + kw + "=(a, b)", &b)) return false;
    if (!peek_punct(')')) return fail("expected \")\" to close " + kw + "=(a, b), found " + token_display(peek()));
    take();
    set_slot(opt.slot, a);
    set_slot(opt.slot + 1, b);
    return true;
}

bool Parser::dataset(const TymOptionDef& opt, const std::string& kw) {
    TymDataRef& ref = out_.refs[opt.slot];
    ref = TymDataRef{};
    const Token& t = take();
    if (t.kind == TokenKind::String) {
        if (t.text.empty()) return fail("the path after " + kw + "= is empty");
        if (t.text.size() > kDataPathMax || t.text.find('\0') != std::string::npos)
            return fail("the path " + token_display(t) + " after " + kw + "= is too long or not valid");
        std::memcpy(ref.path, t.text.data(), t.text.size());
    } else if (t.kind == TokenKind::Word) {
        std::string first = t.text;
        std::string second;
        if (peek_punct('.')) {
            take();
            const Token& m = take();
            if (m.kind != TokenKind::Word)
                return fail("expected a member name after " + to_upper(first) + "., found " + token_display(m));
            second = m.text;
        }
        const std::string& member = second.empty() ? first : second;
        if (member.size() > kDataNameMax || first.size() > kDataNameMax)
            return fail("the data set name " + to_upper(second.empty() ? first : first + "." + second) +
                        " is longer than " + std::to_string(kDataNameMax) + " characters");
        std::memcpy(ref.member, member.data(), member.size());
        if (!second.empty()) {
            const std::string lib = to_upper(first);
            std::memcpy(ref.libref, lib.data(), lib.size());
        }
    } else {
        return fail("expected a data set name after " + kw + "=, found " + token_display(t));
    }
    out_.record.data[opt.slot] = &ref;
    return true;
}

bool Parser::list(const TymOptionDef& opt, const std::string& kw) {
    TymList& l = out_.record.lists[opt.slot];
    l.given = 1;
    if (!peek_punct('(')) return true;
    take();
    std::vector<TymListItem>& items = out_.items[opt.slot];
    while (!peek_punct(')')) {
        const Token& t = take();
        if (t.kind == TokenKind::End) return fail("expected \")\" to close the list of " + kw);
        if (t.kind == TokenKind::Punct && t.text[0] == ',') continue;
        if (t.kind != TokenKind::Word && t.kind != TokenKind::Number)
            return fail("expected a name or a number in the list of " + kw + ", found " + token_display(t));
        TymListItem item{out_.keep(t.text), nullptr};
        if (peek_punct('-')) {
            take();
            const Token& e = take();
            if (e.kind != t.kind)
                return fail("expected the end of the range " + token_display(t) + "-, found " + token_display(e));
            item.last = out_.keep(e.text);
        }
        items.push_back(item);
    }
    take();
    l.count = static_cast<int32_t>(items.size());
    l.items = items.empty() ? nullptr : items.data();
    return true;
}

bool Parser::varname() {
    const Token& t = take();
    VarItem item{t.text, {}};
    if (peek_punct('-')) {
        take();
        const Token& e = take();
        if (e.kind != TokenKind::Word)
            return fail("expected a variable name after " + token_display(t) + "-, found " + token_display(e));
        item.last = e.text;
    }
    out_.var_items.push_back(std::move(item));
    return true;
}

void trace_record(const ParsedStatement& out) {
    std::string line =
        "Parser record: statement " + out.name + " (number " + std::to_string(out.record.statement) + ")";
    std::string flags;
    for (int b = 0; b < TYM_FLAG_BYTES * 8; ++b)
        if (tym_flag(&out.record, b)) flags += " " + std::to_string(b);
    if (!flags.empty()) line += ", flags" + flags;
    for (int s = 0; s < TYM_MAX_SLOTS; ++s) {
        if (!out.record.values[s].given) continue;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", out.record.values[s].value);
        line += ", slot " + std::to_string(s) + "=" + buf;
    }
    for (int d = 0; d < TYM_MAX_DATASETS; ++d) {
        const TymDataRef* r = out.record.data[d];
        if (!r) continue;
        line += ", data " + std::to_string(d) + "=";
        if (r->path[0])
            line += std::string("'") + r->path + "'";
        else
            line += (r->libref[0] ? std::string(r->libref) + "." : std::string()) + r->member;
    }
    for (int l = 0; l < TYM_MAX_LISTS; ++l) {
        const TymList& list = out.record.lists[l];
        if (!list.given) continue;
        line += ", list " + std::to_string(l) + "=(";
        for (int i = 0; i < list.count; ++i) {
            if (i) line += " ";
            line += list.items[i].first;
            if (list.items[i].last) line += std::string("-") + list.items[i].last;
        }
        line += ")";
    }
    for (const VarItem& v : out.var_items) line += " " + v.first + (v.last.empty() ? "" : "-" + v.last);
    if (out.record.error) line += ", error " + std::to_string(out.record.error);
    log_note(line);
}

}  // namespace

bool parse_statement(const GrammarView& grammar, std::string_view text, int debug_flags, ParsedStatement& out) {
    out.text = std::string(text);
    out.record.text = out.text.c_str();
    Parser parser(grammar, debug_flags, out);
    bool ok = parser.run();
    if (ok && out.is_procedure() && !out.record.data[0]) {
        if (std::optional<TymDataRef> last = services().last_dataset()) {
            out.refs[0] = *last;
            out.record.data[0] = &out.refs[0];
        } else {
            out.record.error = kRecordSyntaxError;
            log_error("Statement \"" + message_text(out.text) +
                      "\" names no data set with DATA=, and no data set has been created yet.");
            ok = false;
        }
    }
    if (debug_flags & kTraceSemantic) trace_record(out);
    return ok;
}

}  // namespace qmlp::front
