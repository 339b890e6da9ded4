// parser_vector.cpp -- parsers over the step's statements and the terminal.
#include "front/parser_vector.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "front/attention.h"
#include "front/front_services.h"
#include "front/grammar_view.h"
#include "front/help_text.h"
#include "front/host_statements.h"
#include "front/lexer.h"
#include "front/macro_store.h"
#include "front/statement_parser.h"
#include "front/step_context.h"
#include "front/varlist_expand.h"
#include "tym_grammar.h"

using namespace qmlp::front;

// The opaque parser handle of tym_host.h.
struct TymParser_ {
    GrammarView grammar;
    TymParserControl control{};
    void* cookie = nullptr;
    bool interactive = false;
    int debug = 0;
    std::vector<std::unique_ptr<ParsedStatement>> records;  // valid until the next call
};

namespace qmlp::front {
namespace {

std::vector<std::unique_ptr<TymParser_>>& open_parsers() {
    static std::vector<std::unique_ptr<TymParser_>> parsers;
    return parsers;
}

bool is_open(TymParser p) {
    for (const auto& q : open_parsers())
        if (q.get() == p) return true;
    return false;
}

const std::vector<host::VarInfo>* step_variables(StepContext& step) {
    if (!step.vars_loaded) {
        step.vars_loaded = true;
        if (step.data_ref) step.vars_ok = services().dataset_variables(*step.data_ref, step.vars);
    }
    return step.vars_ok ? &step.vars : nullptr;
}

// Parses one statement into a fresh record of the parser: macro references
// resolved, DATA remembered, variable lists expanded.
ParsedStatement& parse_into(TymParser p, const Statement& s) {
    p->records.push_back(std::make_unique<ParsedStatement>());
    ParsedStatement& rec = *p->records.back();
    const std::string text = resolve_and_warn(s.text, macros());
    if (!s.terminated) log_warning(line_prefix(s) + "the last statement has no closing \";\".");
    parse_statement(p->grammar, text, p->debug, rec);
    StepContext* step = current_step();
    if (rec.is_procedure() && rec.record.data[0] && step) {
        step->data_ref = *rec.record.data[0];
        step->vars_loaded = false;
        step->vars.clear();
    }
    if (rec.is_varlist() && !rec.record.error) {
        const std::vector<host::VarInfo>* vars = nullptr;
        if (step && varlist_needs_dataset(rec.var_items)) vars = step_variables(*step);
        const std::string why = expand_varlist(rec.var_items, vars, rec.var_names);
        if (!why.empty()) report_syntax_error(rec, why);
        for (const std::string& n : rec.var_names) rec.var_name_ptrs.push_back(n.c_str());
    }
    return rec;
}

// A statement that parses but has no meaning in a pause.
void refuse_in_pause(ParsedStatement& rec, const std::string& why) {
    rec.record.error = kRecordSyntaxError;
    log_error("The statement \"" + message_text(rec.text) + "\" is refused in a pause: " + why + ".");
}

// The varlist callback of a record without error.
int deliver_varlist(TymParser p, ParsedStatement& rec) {
    if (!rec.is_varlist() || rec.record.error || !p->control.varlist) return 0;
    return p->control.varlist(p->cookie, rec.record.statement, static_cast<int>(rec.var_name_ptrs.size()),
                              rec.var_name_ptrs.empty() ? nullptr : rec.var_name_ptrs.data());
}

TymParser parser_open(const TymGrammar* grammar, const TymParserControl* control, void* cookie, int interactive,
                      int debug_flags) {
    try {
        auto p = std::make_unique<TymParser_>();
        std::string why;
        if (!p->grammar.load(grammar, &why)) {
            log_error("The procedure's statement grammar cannot be used: " + why + ".");
            return nullptr;
        }
        if (control) p->control = *control;
        p->cookie = cookie;
        p->interactive = interactive != 0;
        if (p->interactive) attention_pause_reached();
        p->debug = debug_flags;
        open_parsers().push_back(std::move(p));
        return open_parsers().back().get();
    } catch (const std::bad_alloc&) {
        log_error("Out of memory while opening the statement parser.");
        return nullptr;
    }
}

TymParseRecord* run_statements(TymParser p) {
    p->records.clear();
    StepContext* step = current_step();
    if (!step) return nullptr;
    ParsedStatement* procedure = nullptr;
    bool first = true;
    while (step->cursor < step->statements.size()) {
        check_interrupt();
        const Statement& s = step->statements[step->cursor++];
        // HELP among a step's statements says what the step's statements
        // are, as it does at a pause; it is no statement of the step.
        if (!first && statement_keyword(s) == "HELP") {
            print_pause_help();
            continue;
        }
        ParsedStatement& rec = parse_into(p, s);
        if (first) {
            if (!rec.record.error && !rec.is_procedure())
                report_syntax_error(rec, rec.name + " does not start a procedure step");
            if (!rec.record.error) procedure = &rec;
        }
        int stop = deliver_varlist(p, rec);
        if (!stop && p->control.statement && (first || (p->control.flags & TYM_PARSER_PER_STATEMENT)))
            stop = p->control.statement(p->cookie, &rec.record);
        first = false;
        const std::string kw = statement_keyword(s);
        if (stop || kw == "RUN" || kw == "QUIT") break;
    }
    if (step->cursor >= step->statements.size() && !step->end_signalled && !step->interactive) {
        step->end_signalled = true;
        if (p->control.end) p->control.end(p->cookie);
    }
    return procedure ? &procedure->record : nullptr;
}

int read_statement(TymParser p, TymParseRecord** out) {
    p->records.clear();
    StepContext* step = current_step();
    for (;;) {
        check_interrupt();
        Statement s;
        if (step && step->cursor < step->statements.size()) {
            s = step->statements[step->cursor++];
        } else {
            const bool prompt =
                p->interactive && step && step->terminal && (step->interactive || attention_terminal_requested());
            if (!prompt || !step->terminal->read_statement(s)) return 1;
            if (HostStatementKind kind = host_statement_kind(s); kind != HostStatementKind::None) {
                execute_host_statement(s, kind);
                continue;
            }
        }
        if (p->interactive && statement_keyword(s) == "HELP") {
            print_pause_help();
            continue;
        }
        ParsedStatement& rec = parse_into(p, s);
        // What a pause cannot do is said, not passed over: a new step
        // would need the paused one ended, and variable lists are read
        // before the solve.
        if (!rec.record.error && rec.is_procedure())
            refuse_in_pause(rec,
                            "a new step cannot start while this one is paused; end it with RUN or QUIT, "
                            "then start the next");
        if (!rec.record.error && rec.is_varlist())
            refuse_in_pause(rec, "variable lists are read before the solve and cannot change it");
        if (rec.record.error && step) step->refused_statement = true;
        deliver_varlist(p, rec);
        *out = &rec.record;
        return 0;
    }
}

// The entries below never let an exception of the host's own reach the
// module: only the end of the step and the end of the program unwind
// through it (neither derives from std::exception).
TymParseRecord* parser_run(TymParser p) {
    if (!is_open(p)) return nullptr;
    try {
        return run_statements(p);
    } catch (const std::exception& e) {
        log_error(std::string("The statement parser failed: ") + e.what() + ".");
        return nullptr;
    }
}

int parser_read(TymParser p, TymParseRecord** out) {
    if (out) *out = nullptr;
    if (!is_open(p) || !out) return 1;
    try {
        return read_statement(p, out);
    } catch (const std::exception& e) {
        log_error(std::string("The statement parser failed: ") + e.what() + ".");
        *out = nullptr;
        return 1;
    }
}

int parser_close(TymParser p) {
    auto& parsers = open_parsers();
    auto it = std::find_if(parsers.begin(), parsers.end(), [p](const auto& q) { return q.get() == p; });
    if (it == parsers.end()) return -1;
    // A pause that read from the terminal has served the break that asked for it.
    if ((*it)->interactive) attention_clear_terminal_request();
    parsers.erase(it);
    return 0;
}

const TymParserVector kParserVector = {sizeof(TymParserVector), parser_open, parser_run, parser_read, parser_close};

}  // namespace

const TymParserVector* parser_vector() { return &kParserVector; }

void close_all_parsers() { open_parsers().clear(); }

}  // namespace qmlp::front
