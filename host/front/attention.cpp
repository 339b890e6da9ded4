// attention.cpp -- the SIGINT handler and the attention vector.
//
// Everything the signal handler touches is a lock-free atomic, so it is safe
// to run at any instant; the module's handler only sets its break flag.
#include "front/attention.h"

#include <atomic>
#include <csignal>

namespace qmlp::front {
namespace {

std::atomic<TymAttentionHandler> g_handler{nullptr};
std::atomic<void*> g_cookie{nullptr};
std::atomic<bool> g_in_step{false};
std::atomic<int> g_breaks_in_step{0};
std::atomic<bool> g_break_pending{false};  // reported by the next poll
std::atomic<bool> g_terminal_requested{false};
std::atomic<bool> g_abort{false};
std::atomic<bool> g_abort_second{false};  // the end was asked by a second break in a step
std::atomic<bool> g_at_prompt{false};     // a prompt is reading a line: a break clears it

void on_sigint(int) {
    attention_raise_break();
    if (g_abort.load()) std::signal(SIGINT, SIG_DFL);  // the next break is not caught
}

int attention_install(TymAttentionHandler handler, void* cookie) {
    g_handler.store(nullptr);  // never call a handler with the wrong cookie
    g_cookie.store(cookie);
    g_handler.store(handler);
    return 0;
}

int attention_remove() {
    g_handler.store(nullptr);
    g_cookie.store(nullptr);
    return 0;
}

int attention_poll() {
    check_interrupt();
    return g_break_pending.exchange(false) ? 1 : 0;
}

const TymAttentionVector kAttentionVector = {sizeof(TymAttentionVector), attention_install, attention_remove,
                                             attention_poll};

}  // namespace

void attention_install_signal_handler() {
    struct sigaction sa {};
    sa.sa_handler = on_sigint;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a terminal read returns to look at the break
    sigaction(SIGINT, &sa, nullptr);
}

void attention_raise_break() {
    // At a prompt the break only ends the read of the line being typed;
    // the run is waiting for the user already.
    if (g_at_prompt.load()) return;
    if (!g_in_step.load()) {
        g_abort.store(true);
        return;
    }
    const int n = g_breaks_in_step.fetch_add(1) + 1;
    if (n == 1) {
        g_break_pending.store(true);
        g_terminal_requested.store(true);
        if (TymAttentionHandler h = g_handler.load()) h(g_cookie.load());
    } else {
        g_abort_second.store(true);
        g_abort.store(true);
    }
}

void attention_pause_reached() {
    // The pause serves the break that asked for it: a later break is a
    // first one again.
    g_breaks_in_step.store(0);
    g_break_pending.store(false);
}

void attention_prompt_begin() { g_at_prompt.store(true); }
void attention_prompt_end() { g_at_prompt.store(false); }
bool attention_abort_by_second_break() { return g_abort_second.load(); }

void attention_step_begin() {
    attention_remove();
    g_breaks_in_step.store(0);
    g_break_pending.store(false);
    g_terminal_requested.store(false);
    g_in_step.store(true);
}

void attention_step_end() {
    g_in_step.store(false);
    attention_remove();
    g_break_pending.store(false);
    g_terminal_requested.store(false);
}

bool attention_terminal_requested() { return g_terminal_requested.load(); }
void attention_clear_terminal_request() { g_terminal_requested.store(false); }
bool attention_abort_requested() { return g_abort.load(); }

void check_interrupt() {
    if (g_abort.load()) throw ProgramInterrupted{};
}

void attention_reset() {
    attention_step_end();
    g_breaks_in_step.store(0);
    g_abort.store(false);
    g_abort_second.store(false);
    g_at_prompt.store(false);
}

const TymAttentionVector* attention_vector() { return &kAttentionVector; }

}  // namespace qmlp::front
