// lp_reader.cpp -- the section machine of the LP-format reader.
//
// The objective section comes first; Subject To, Bounds, General, Binary
// and SOS may follow in any order, each ends where the next keyword opens a
// line, and End closes the problem.  Expressions run over as many lines as
// they like.  A constraint or a bound ends with its constant right-hand
// side; the next one must start on a later line, so that a stray term after
// a right-hand side ("x >= 2 y") is an error and not a second constraint.
#include "lp/lp_reader.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "lp/lp_tokens.h"
#include "mps/mps_fields.h"

namespace qmlp::host::lp {

namespace {

using mps::Column;
using mps::Entry;
using mps::kInfinity;
using mps::Model;
using mps::Row;
using mps::RowKind;

enum class Section { None, Minimize, Maximize, Constraints, Bounds, General, Binary, SemiContinuous, Sos, End };

std::string lower(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool is_infinity_word(const Token& t) {
    if (t.kind != TokenKind::Name) return false;
    const std::string word = lower(t.text);
    return word == "inf" || word == "infinity";
}

bool is_relation(const Token& t) {
    return t.kind == TokenKind::LessEqual || t.kind == TokenKind::GreaterEqual || t.kind == TokenKind::Equal;
}

std::string describe(const Token& t) {
    if (t.kind == TokenKind::End) return "the end of the file";
    return mps::quoted(t.text);
}

// A linear expression as read: terms in order of first appearance (a
// column named twice adds up) and the sum of its constants.
struct Linear {
    std::vector<std::pair<int32_t, double>> terms;
    std::unordered_map<int32_t, std::size_t> position;
    double constant = 0.0;

    void add(int32_t column, double value) {
        auto [it, fresh] = position.emplace(column, terms.size());
        if (fresh) {
            terms.emplace_back(column, value);
        } else {
            terms[it->second].second += value;
        }
    }
};

class Reader {
  public:
    Reader(const std::vector<Token>& tokens, Model& model, mps::ReadReport& report)
        : tokens_(tokens), model_(model), report_(report) {}
    bool run();

  private:
    const Token& peek(std::size_t ahead = 0) const { return tokens_[std::min(position_ + ahead, tokens_.size() - 1)]; }
    const Token& take() {
        const Token& t = peek();
        if (position_ + 1 < tokens_.size()) ++position_;
        return t;
    }
    bool fail(const Token& at, std::string text) {
        report_.error = {at.line, std::move(text)};
        return false;
    }
    void warn(int64_t line, std::string text) { report_.warnings.push_back({line, std::move(text)}); }

    // The section a keyword at the current token opens (None when it opens
    // none), and how many tokens the keyword takes.
    Section section_here(std::size_t* length) const;
    bool at_section_or_end() const {
        std::size_t length = 0;
        return peek().kind == TokenKind::End || section_here(&length) != Section::None;
    }

    bool objective(bool maximize);
    bool constraints();
    bool bounds();
    bool integer_list(bool binary);
    bool sos_sets();

    bool expression(Linear& out, const char* where);
    // [sign] number or infinity; false (no token taken) when none is here,
    // or when `relation_follows` asks for a relation after it and none
    // comes.
    bool constant_here(double* value, bool relation_follows);
    bool constant(double* value, const char* after);
    bool line_ends(const char* what);
    bool statement_name(std::string* name);
    int32_t column(const Token& name, bool create_silently);
    bool add_row(const Token& at, std::string name, RowKind kind, double rhs, bool has_range, double range,
                 const Linear& linear);
    bool finish(const Token& at);

    const std::vector<Token>& tokens_;
    Model& model_;
    mps::ReadReport& report_;
    std::size_t position_ = 0;
    std::vector<std::size_t> unnamed_rows_;
    std::unordered_set<std::string> sos_names_;
    std::vector<char> binary_;
};

Section Reader::section_here(std::size_t* length) const {
    const Token& t = peek();
    if (!t.opens_line || t.kind != TokenKind::Name) return Section::None;
    // "min: ..." names a row: a keyword is never followed by a colon.
    const Token& next = peek(1);
    if (next.kind == TokenKind::Colon && next.line == t.line) return Section::None;
    const std::string word = lower(t.text);
    *length = 1;
    if (word == "minimize" || word == "minimise" || word == "minimum" || word == "min") return Section::Minimize;
    if (word == "maximize" || word == "maximise" || word == "maximum" || word == "max") return Section::Maximize;
    if (word == "st" || word == "s.t." || word == "st.") return Section::Constraints;
    if ((word == "subject" || word == "such") && next.kind == TokenKind::Name && next.line == t.line) {
        const std::string second = lower(next.text);
        if ((word == "subject" && second == "to") || (word == "such" && second == "that")) {
            *length = 2;
            return Section::Constraints;
        }
    }
    if (word == "bounds" || word == "bound") return Section::Bounds;
    if (word == "general" || word == "generals" || word == "gen" || word == "integer" || word == "integers")
        return Section::General;
    if (word == "binary" || word == "binaries" || word == "bin") return Section::Binary;
    if (word == "semi-continuous" || word == "semis" || word == "semi") return Section::SemiContinuous;
    if (word == "sos") return Section::Sos;
    if (word == "end") return Section::End;
    return Section::None;
}

int32_t Reader::column(const Token& name, bool create_silently) {
    const int32_t found = model_.find_column(name.text);
    if (found >= 0) return found;
    const int32_t index = static_cast<int32_t>(model_.columns.size());
    Column c;
    c.name = name.text;
    model_.columns.push_back(std::move(c));
    model_.column_index.emplace(name.text, index);
    binary_.push_back(0);
    if (!create_silently) {
        warn(name.line, "column " + mps::quoted(name.text) +
                            " is in neither the objective nor a constraint; it is added without coefficients");
    }
    return index;
}

bool Reader::constant_here(double* value, bool relation_follows) {
    std::size_t at = 0;
    double sign = 1.0;
    if (peek().kind == TokenKind::Plus || peek().kind == TokenKind::Minus) {
        if (peek().kind == TokenKind::Minus) sign = -1.0;
        ++at;
    }
    const Token& t = peek(at);
    double magnitude;
    if (t.kind == TokenKind::Number) {
        magnitude = t.value;
    } else if (is_infinity_word(t)) {
        magnitude = kInfinity;
    } else {
        return false;
    }
    // At the start of a constraint "3 x" is a term and "3 <=" a limit.
    if (relation_follows && !is_relation(peek(at + 1))) return false;
    // Values beyond 1e30 mean "no limit", as in MPS files.
    if (magnitude >= mps::kInfiniteBound) magnitude = kInfinity;
    *value = sign * magnitude;
    position_ += at + 1;
    return true;
}

bool Reader::constant(double* value, const char* after) {
    if (constant_here(value, false)) return true;
    return fail(peek(), std::string("expected a number after ") + after + ", found " + describe(peek()));
}

bool Reader::line_ends(const char* what) {
    const Token& t = peek();
    if (t.kind == TokenKind::End || t.opens_line) return true;
    return fail(t, std::string("expected a new line after ") + what + ", found " + describe(t));
}

bool Reader::statement_name(std::string* name) {
    name->clear();
    if (peek().kind == TokenKind::Name && peek(1).kind == TokenKind::Colon) {
        const Token& t = take();
        std::string reason = mps::check_name(t.text);
        if (!reason.empty()) return fail(t, "name " + mps::quoted(t.text) + ": " + reason);
        *name = t.text;
        take();
    }
    return true;
}

bool Reader::expression(Linear& out, const char* where) {
    bool first = true;
    for (;;) {
        const Token& t = peek();
        if (t.kind == TokenKind::End || is_relation(t) || at_section_or_end()) return true;
        double sign = 1.0;
        bool signed_term = false;
        while (peek().kind == TokenKind::Plus || peek().kind == TokenKind::Minus) {
            if (take().kind == TokenKind::Minus) sign = -sign;
            signed_term = true;
        }
        const Token& term = peek();
        if (!first && !signed_term) {
            // A term that follows another without a sign.  In a constraint
            // this is where a relation belongs.
            return fail(term, std::string("expected '+', '-' or a relation (<=, >=, =) in ") + where + ", found " +
                                  describe(term));
        }
        first = false;
        if (term.kind == TokenKind::Other && (term.text == "[" || term.text == "^" || term.text == "*")) {
            return fail(term, "quadratic terms are not supported");
        }
        double coefficient = 1.0;
        if (term.kind == TokenKind::Number) {
            coefficient = term.value;
            take();
            const Token& after = peek();
            const bool name_follows = after.kind == TokenKind::Name && !is_infinity_word(after) && !at_section_or_end();
            if (!name_follows) {
                out.constant += sign * coefficient;
                continue;
            }
        } else if (is_infinity_word(term)) {
            return fail(term, std::string("infinite value in ") + where);
        }
        const Token& name = peek();
        if (name.kind != TokenKind::Name || is_infinity_word(name)) {
            return fail(name, std::string("expected a term (a number, a column name or both) in ") + where +
                                  ", found " + describe(name));
        }
        if (peek(1).kind == TokenKind::Colon) {
            return fail(peek(1), std::string("expected '+', '-' or a relation in ") + where +
                                     " before the next name, found ':' (a new constraint starts on a new line "
                                     "after a right-hand side)");
        }
        std::string reason = mps::check_name(name.text);
        if (!reason.empty()) return fail(name, "column name " + mps::quoted(name.text) + ": " + reason);
        const int32_t index = column(name, true);
        take();
        if (peek().kind == TokenKind::Other && (peek().text == "^" || peek().text == "*")) {
            return fail(peek(), "quadratic terms are not supported");
        }
        out.add(index, sign * coefficient);
    }
}

bool Reader::add_row(const Token& at, std::string name, RowKind kind, double rhs, bool has_range, double range,
                     const Linear& linear) {
    const int32_t index = static_cast<int32_t>(model_.rows.size());
    if (name.empty()) {
        unnamed_rows_.push_back(static_cast<std::size_t>(index));
    } else if (!model_.row_index.emplace(name, index).second) {
        return fail(at, "row name " + mps::quoted(name) + " is used twice");
    }
    Row row;
    row.name = std::move(name);
    row.kind = kind;
    row.has_range = has_range;
    row.range = range;
    model_.rows.push_back(std::move(row));
    for (const auto& [col, value] : linear.terms) model_.columns[col].entries.push_back({index, value});
    if (rhs != 0.0) model_.rhs_sets[0].entries.push_back({index, rhs});
    if (has_range && !model_.has_range_set) {
        model_.has_range_set = true;
        model_.range_set_name = "RANGE";
    }
    return true;
}

bool Reader::objective(bool maximize) {
    model_.maximize = maximize;
    const Token& start = peek();
    std::string name;
    if (!statement_name(&name)) return false;
    Linear linear;
    if (!expression(linear, "the objective")) return false;
    if (!at_section_or_end()) {
        return fail(peek(),
                    "expected a section (Subject To, Bounds, ..., End) after the objective, found " + describe(peek()));
    }
    model_.objective = 0;
    // The objective is c.x - b: a constant k of the objective is b = -k.
    return add_row(start, name, RowKind::Free, -linear.constant, false, 0.0, linear);
}

bool Reader::constraints() {
    while (!at_section_or_end()) {
        const Token& start = peek();
        std::string name;
        if (!statement_name(&name)) return false;
        // l <= expr <= u: the first constant and its relation.
        double left = 0.0;
        TokenKind left_relation = TokenKind::End;
        if (constant_here(&left, true)) left_relation = take().kind;
        Linear linear;
        if (!expression(linear, "a constraint")) return false;
        const Token& relation = peek();
        if (!is_relation(relation)) {
            return fail(relation, "expected a relation (<=, >=, =) in a constraint, found " + describe(relation));
        }
        take();
        double right;
        if (!constant(&right, "the relation")) return false;
        if (!line_ends("the right-hand side of a constraint")) return false;
        if (linear.terms.empty() && left_relation == TokenKind::End) {
            // Fine, but worth a word: a row of constants only.
            warn(start.line,
                 "constraint " + (name.empty() ? std::string("without a name") : mps::quoted(name)) + " has no column");
        }

        double low = -kInfinity, high = kInfinity;
        if (left_relation != TokenKind::End) {
            if (left_relation == TokenKind::Equal || relation.kind == TokenKind::Equal ||
                left_relation != relation.kind) {
                return fail(relation, "a double inequality needs two '<=' or two '>=' relations");
            }
            low = left_relation == TokenKind::LessEqual ? left : right;
            high = left_relation == TokenKind::LessEqual ? right : left;
        } else if (relation.kind == TokenKind::LessEqual) {
            high = right;
        } else if (relation.kind == TokenKind::GreaterEqual) {
            low = right;
        } else {
            if (std::isinf(right)) return fail(relation, "an equality needs a finite right-hand side");
            low = high = right;
        }
        low -= linear.constant;
        high -= linear.constant;
        if (low == kInfinity || high == -kInfinity) {
            return fail(relation, "the right-hand side leaves no value for the row (it is infinite on the wrong side)");
        }
        if (low > high) {
            return fail(relation, "the lower limit " + mps::format_number(low) + " exceeds the upper limit " +
                                      mps::format_number(high));
        }
        RowKind kind;
        double rhs = 0.0, range = 0.0;
        bool has_range = false;
        if (std::isinf(low) && std::isinf(high)) {
            kind = RowKind::Free;
        } else if (std::isinf(low)) {
            kind = RowKind::LessEqual;
            rhs = high;
        } else if (std::isinf(high)) {
            kind = RowKind::GreaterEqual;
            rhs = low;
        } else if (low == high) {
            kind = RowKind::Equal;
            rhs = low;
        } else {
            kind = RowKind::GreaterEqual;
            rhs = low;
            range = high - low;
            has_range = true;
            if (std::isinf(range)) return fail(relation, "the width of the range is outside the range of doubles");
        }
        if (!add_row(start, name, kind, rhs, has_range, range, linear)) return false;
    }
    return true;
}

bool Reader::bounds() {
    while (!at_section_or_end()) {
        const Token& start = peek();
        double first = 0.0;
        TokenKind first_relation = TokenKind::End;
        if (constant_here(&first, true)) first_relation = take().kind;
        const Token& name = peek();
        if (name.kind != TokenKind::Name || is_infinity_word(name)) {
            return fail(name, "expected a column name in a bound, found " + describe(name));
        }
        std::string reason = mps::check_name(name.text);
        if (!reason.empty()) return fail(name, "column name " + mps::quoted(name.text) + ": " + reason);
        take();
        const int32_t index = column(name, false);
        Column& c = model_.columns[index];
        auto set = [&](TokenKind relation, double value, bool column_on_left, const Token& at) -> bool {
            // "x <= v" and "v >= x" give an upper bound; "x >= v" and
            // "v <= x" a lower one; "=" fixes.
            const bool upper = (relation == TokenKind::LessEqual) == column_on_left;
            if (relation == TokenKind::Equal) {
                if (std::isinf(value)) return fail(at, "a column cannot be fixed at an infinite value");
                c.lower = c.upper = value;
                c.lower_given = true;
            } else if (upper) {
                if (value == -kInfinity) return fail(at, "an upper bound of -infinity leaves the column no value");
                c.upper = value;
            } else {
                if (value == kInfinity) return fail(at, "a lower bound of +infinity leaves the column no value");
                c.lower = value;
                c.lower_given = true;
            }
            return true;
        };
        if (first_relation != TokenKind::End) {
            if (!set(first_relation, first, false, start)) return false;
        }
        if (first_relation == TokenKind::End && peek().kind == TokenKind::Name && lower(peek().text) == "free") {
            take();
            c.lower = -kInfinity;
            c.upper = kInfinity;
            c.lower_given = true;
        } else if (is_relation(peek()) && !peek().opens_line) {
            const Token& relation = take();
            if (first_relation != TokenKind::End &&
                (first_relation == TokenKind::Equal || relation.kind == TokenKind::Equal ||
                 first_relation != relation.kind)) {
                return fail(relation, "a double bound needs two '<=' or two '>=' relations");
            }
            double value;
            if (!constant(&value, "the relation of a bound")) return false;
            if (!set(relation.kind, value, true, relation)) return false;
        } else if (first_relation == TokenKind::End) {
            return fail(peek(), "expected a relation (<=, >=, =) or 'free' after " + mps::quoted(name.text) +
                                    " in a bound, found " + describe(peek()));
        }
        if (!line_ends("a bound")) return false;
    }
    return true;
}

bool Reader::integer_list(bool binary) {
    while (!at_section_or_end()) {
        const Token& name = peek();
        if (name.kind != TokenKind::Name || is_infinity_word(name)) {
            return fail(name, std::string("expected a column name in the ") + (binary ? "Binary" : "General") +
                                  " section, found " + describe(name));
        }
        std::string reason = mps::check_name(name.text);
        if (!reason.empty()) return fail(name, "column name " + mps::quoted(name.text) + ": " + reason);
        take();
        const int32_t index = column(name, false);
        model_.columns[index].integer = true;
        if (binary) binary_[index] = 1;
    }
    return true;
}

bool Reader::sos_sets() {
    while (!at_section_or_end()) {
        const Token& start = peek();
        std::string name;
        if (peek(1).kind == TokenKind::Colon) {
            if (!statement_name(&name)) return false;
        }
        const Token& type = peek();
        const std::string word = type.kind == TokenKind::Name ? lower(type.text) : std::string();
        if ((word != "s1" && word != "s2") || peek(1).kind != TokenKind::DoubleColon) {
            return fail(type, "expected 'S1::' or 'S2::' in a special ordered set, found " + describe(type));
        }
        if (word == "s2") {
            return fail(type,
                        "special ordered sets of type 2 are not supported (a set may have at most one nonzero member)");
        }
        take();
        take();
        if (name.empty()) name = "SOS" + std::to_string(model_.sos_sets.size() + 1);
        if (!sos_names_.insert(name).second) {
            return fail(start, "special ordered set name " + mps::quoted(name) + " is used twice");
        }
        std::vector<std::pair<double, int32_t>> members;
        std::unordered_set<int32_t> seen;
        // Members "name:weight" up to the next set, which starts with
        // "name:" followed by a name, or "S1::".
        auto member_here = [&] {
            if (peek().kind != TokenKind::Name || peek(1).kind != TokenKind::Colon || at_section_or_end()) return false;
            const TokenKind weight = peek(2).kind;
            return weight == TokenKind::Number ||
                   ((weight == TokenKind::Plus || weight == TokenKind::Minus) && peek(3).kind == TokenKind::Number);
        };
        while (member_here()) {
            const Token& member = take();
            std::string reason = mps::check_name(member.text);
            if (!reason.empty()) return fail(member, "column name " + mps::quoted(member.text) + ": " + reason);
            take();
            double weight = 0.0;
            constant(&weight, "a member's colon");
            const int32_t index = column(member, false);
            if (!seen.insert(index).second) {
                return fail(member, "column " + mps::quoted(member.text) + " is twice in the set " + mps::quoted(name));
            }
            members.emplace_back(weight, index);
        }
        if (members.empty()) {
            return fail(peek(), "expected members 'name:weight' in the special ordered set " + mps::quoted(name) +
                                    ", found " + describe(peek()));
        }
        // The weights order the members; the data set keeps that order.
        std::stable_sort(members.begin(), members.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        mps::SosSet set;
        set.name = name;
        for (const auto& [weight, index] : members) set.members.push_back(index);
        model_.sos_sets.push_back(std::move(set));
    }
    return true;
}

bool Reader::finish(const Token& at) {
    // Unnamed rows are R1, R2, ... by their place among the constraints,
    // skipping names the file gives to other rows.
    for (std::size_t index : unnamed_rows_) {
        std::string base = index == 0 ? "obj" : "R" + std::to_string(index);
        std::string name = base;
        for (int k = 1; model_.row_index.count(name) > 0; ++k) name = base + "_" + std::to_string(k);
        model_.rows[index].name = name;
        model_.row_index.emplace(name, static_cast<int32_t>(index));
    }
    for (std::size_t i = 0; i < model_.columns.size(); ++i) {
        Column& c = model_.columns[i];
        if (binary_[i]) {
            // Binary means integer in [0, 1], within any bounds given.
            c.lower = std::max(c.lower, 0.0);
            c.upper = std::min(c.upper, 1.0);
        }
        if (c.lower > c.upper) {
            warn(at.line, "column " + mps::quoted(c.name) + " has lower bound " + mps::format_number(c.lower) +
                              " above its upper bound " + mps::format_number(c.upper) +
                              ": the problem has no feasible point");
        }
    }
    if (model_.rhs_sets[0].entries.empty()) model_.rhs_sets.clear();
    return true;
}

bool Reader::run() {
    model_.rhs_sets.push_back({"RHS", {}});
    std::size_t length = 0;
    Section section = section_here(&length);
    if (section != Section::Minimize && section != Section::Maximize) {
        return fail(peek(), "expected Minimize or Maximize at the start, found " + describe(peek()));
    }
    position_ += length;
    if (!objective(section == Section::Maximize)) return false;
    std::unordered_set<int> seen;
    for (;;) {
        const Token& keyword = peek();
        if (keyword.kind == TokenKind::End) return fail(keyword, "missing End at the end of the file");
        section = section_here(&length);
        position_ += length;
        if (section == Section::End) return finish(keyword);
        if (!seen.insert(static_cast<int>(section)).second && section != Section::General &&
            section != Section::Binary) {
            return fail(keyword, "section " + mps::quoted(keyword.text) + " appears twice");
        }
        bool ok = true;
        switch (section) {
            case Section::Minimize:
            case Section::Maximize: return fail(keyword, "a second objective is not supported");
            case Section::Constraints: ok = constraints(); break;
            case Section::Bounds: ok = bounds(); break;
            case Section::General: ok = integer_list(false); break;
            case Section::Binary: ok = integer_list(true); break;
            case Section::SemiContinuous: return fail(keyword, "semi-continuous columns are not supported");
            case Section::Sos: ok = sos_sets(); break;
            case Section::None:
            case Section::End: break;
        }
        if (!ok) return false;
    }
}

}  // namespace

bool read_lp(mps::LineSource& source, Model& model, mps::ReadReport& report) {
    std::vector<Token> tokens;
    std::string error;
    int64_t line = 0;
    if (!tokenize(source, tokens, error, line)) {
        report.error = {line, error};
        return false;
    }
    Reader reader(tokens, model, report);
    return reader.run();
}

}  // namespace qmlp::host::lp
