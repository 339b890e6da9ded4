// host_statements.cpp -- LIBNAME, %LET and %PUT.
#include "front/host_statements.h"

#include "front/front_services.h"
#include "front/lexer.h"
#include "front/macro_store.h"

namespace qmlp::front {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// The raw text after the statement's keyword.
std::string_view after_keyword(const Statement& s) {
    std::string_view raw = s.raw;
    size_t i = 0;
    if (i < raw.size() && raw[i] == '%') ++i;
    while (i < raw.size() && is_name_char(raw[i])) ++i;
    return raw.substr(i);
}

bool do_put(const Statement& s) {
    std::string text = resolve_and_warn(trim(after_keyword(s)), macros());
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    services().log_raw(host::printable_text(text, std::string::npos));
    return true;
}

bool do_let(const Statement& s) {
    std::string_view rest = trim(after_keyword(s));
    size_t i = 0;
    while (i < rest.size() && is_name_char(rest[i])) ++i;
    std::string_view name = rest.substr(0, i);
    std::string_view tail = trim(rest.substr(i));
    if (!valid_macro_name(name) || tail.empty() || tail.front() != '=') {
        log_error(line_prefix(s) +
                  "%LET needs a macro variable name (at most 32 letters, digits or \"_\") and \"=\": \"" +
                  message_text(s.text) + "\".");
        return false;
    }
    const std::string value = resolve_and_warn(trim(tail.substr(1)), macros());
    if (!macros().set(name, value)) {
        log_error(line_prefix(s) + "the value of macro variable " + to_upper(name) + " is longer than " +
                  std::to_string(kMacroValueMax) + " characters.");
        return false;
    }
    return true;
}

bool do_libname(const Statement& s) {
    const std::string text = resolve_and_warn(s.text, macros());
    const std::vector<Token> t = tokenize(text);
    // LIBNAME name 'folder'; or LIBNAME name engine 'path';
    const bool plain = t.size() == 4 && t[1].kind == TokenKind::Word && t[2].kind == TokenKind::String;
    const bool with_engine =
        t.size() == 5 && t[1].kind == TokenKind::Word && t[2].kind == TokenKind::Word && t[3].kind == TokenKind::String;
    if (!plain && !with_engine) {
        log_error(line_prefix(s) +
                  "LIBNAME needs a library name and a quoted folder, as in LIBNAME mylib 'data/folder', or a "
                  "library name, an engine and a quoted path, as in LIBNAME db SQLITE 'data/model.db': \"" +
                  message_text(s.text) + "\".");
        return false;
    }
    if (plain) return services().libname_assign(t[1].text, t[2].text);
    if (to_upper(t[2].text) == "CSV") return services().libname_assign(t[1].text, t[3].text);
    return host::libname_assign_engine(t[1].text, t[2].text, t[3].text);
}

}  // namespace

std::string line_prefix(const Statement& s) { return "Line " + std::to_string(s.line) + ": "; }

std::string statement_keyword(const Statement& s) {
    std::string_view text = s.text;
    size_t i = 0;
    if (i < text.size() && text[i] == '%') ++i;
    if (i >= text.size() || !is_name_start(text[i])) return {};
    size_t j = i;
    while (j < text.size() && is_name_char(text[j])) ++j;
    return to_upper(text.substr(0, j));
}

HostStatementKind host_statement_kind(const Statement& s) {
    const std::string kw = statement_keyword(s);
    if (kw == "LIBNAME") return HostStatementKind::Libname;
    if (kw == "%LET") return HostStatementKind::Let;
    if (kw == "%PUT") return HostStatementKind::Put;
    return HostStatementKind::None;
}

bool execute_host_statement(const Statement& s, HostStatementKind kind) {
    switch (kind) {
        case HostStatementKind::Libname: return do_libname(s);
        case HostStatementKind::Let: return do_let(s);
        case HostStatementKind::Put: return do_put(s);
        case HostStatementKind::None: break;
    }
    return true;
}

}  // namespace qmlp::front
