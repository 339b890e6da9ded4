// Pauses at a real terminal: qmlp runs in a tmux pane, statements are typed
// into it and the screen is read back.  Line editing is checked through the
// history (the up arrow recalls a statement).  Skipped without tmux.
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;
using e2e::contains;

class TerminalSession : public e2e::ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        if (e2e::shell("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
        // A server of its own per test: a server still shutting down must
        // not meet the next test's.
        static int sessions = 0;
        socket_ = "qmlp-test-" + std::to_string(::getpid()) + "-" + std::to_string(++sessions);
        write("p.csv", "_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,2,.\nc1,LE,1,1,4\nc2,LE,1,3,6\n");
    }
    void TearDown() override {
        if (!socket_.empty()) e2e::shell(tmux() + " kill-server >/dev/null 2>&1");
        ScratchFolder::TearDown();
    }

    std::string tmux() const { return "tmux -L " + socket_; }

    void start(const std::string& program) {
        write("program.qmlp", program);
        const std::string command = "cd " + e2e::quoted(dir_.string()) + " && " +
                                    e2e::quoted(e2e::qmlp_binary().string()) +
                                    " --interactive --listing listing.txt program.qmlp; echo $? > exit.txt; sleep 60";
        ASSERT_EQ(e2e::shell(tmux() + " new-session -d -x 160 -y 50 " + e2e::quoted(command)), 0);
    }

    // Types a line (tmux reads a trailing ";" as its own separator unless
    // it is escaped) and presses Enter.
    void type(const std::string& line) {
        std::string escaped;
        for (char c : line) escaped += c == ';' ? std::string("\\;") : std::string(1, c);
        e2e::shell(tmux() + " send-keys -l " + e2e::quoted(escaped));
        e2e::shell(tmux() + " send-keys Enter");
    }
    void key(const std::string& name) { e2e::shell(tmux() + " send-keys " + name); }

    std::string screen() {
        const fs::path out = dir_ / "screen.txt";
        e2e::shell(tmux() + " capture-pane -p -S -200 > " + e2e::quoted(out.string()));
        return e2e::slurp(out);
    }

    // Waits up to 10 s for `text` to appear `times` times on the screen.
    bool wait_for(const std::string& text, int times = 1) {
        for (int k = 0; k < 100; ++k) {
            const std::string s = screen();
            int n = 0;
            for (size_t at = s.find(text); at != std::string::npos; at = s.find(text, at + 1)) ++n;
            if (n >= times) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    std::string exit_status() {
        for (int k = 0; k < 100 && !fs::exists(dir_ / "exit.txt"); ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::string s = e2e::slurp(dir_ / "exit.txt");
        while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
        return s;
    }

    std::string socket_;
};

TEST_F(TerminalSession, APauseTakesStatementsWithHistoryUntilRun) {
    ASSERT_NO_FATAL_FAILURE(start("LP data=p readpause;\nRUN;\n%PUT &_QMLP_;\n"));
    ASSERT_TRUE(wait_for("LP>")) << screen();
    type("SHOW STATUS;");
    ASSERT_TRUE(wait_for("Where the run stands: STATUS=")) << screen();
    type("RESET maxit=-1;");
    ASSERT_TRUE(wait_for("it must satisfy 0<maxit")) << screen();
    // The pause goes on; SHOW STATUS again through the history.
    key("Up");
    key("Up");
    key("Enter");
    ASSERT_TRUE(wait_for("Where the run stands: STATUS=SEMANTIC_ERROR")) << screen();
    type("RESET maxit=50;");
    type("PIVOT;");
    ASSERT_TRUE(wait_for("The requested pivot was done; pausing.")) << screen();
    type("PRINT COLUMN(x y);");
    type("RUN;");
    ASSERT_TRUE(wait_for("STATUS=SUCCESSFUL PHASE=2 OBJECTIVE=5")) << screen();
    type("QUIT;");
    EXPECT_EQ(exit_status(), "0");
    EXPECT_TRUE(contains(e2e::slurp(dir_ / "listing.txt"), "Variable Summary"));
}

TEST_F(TerminalSession, QuitEndsTheRunAtThePause) {
    ASSERT_NO_FATAL_FAILURE(start("LP data=p readpause primalout=po;\nRUN;\n%PUT after the step;\n"));
    ASSERT_TRUE(wait_for("LP>")) << screen();
    type("QUIT;");
    ASSERT_TRUE(wait_for("after the step")) << screen();
    type("QUIT;");
    EXPECT_EQ(exit_status(), "0") << screen();
    EXPECT_FALSE(fs::exists(dir_ / "po.csv"));
}

// After the program, an interactive run keeps the prompt: host statements
// and QUIT, which ends qmlp.
TEST_F(TerminalSession, TheProductMixStepsByPivotsAndQuitEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(start("LP data=p readpause;\n"));
    ASSERT_TRUE(wait_for("pausing (READPAUSE)")) << screen();
    type("PIVOT;");
    ASSERT_TRUE(wait_for("The requested pivot was done; pausing.")) << screen();
    type("RUN;");
    ASSERT_TRUE(wait_for("LP>", 3)) << screen();  // the prompt after the program
    EXPECT_TRUE(contains(e2e::slurp(dir_ / "listing.txt"), "Solution Summary"));
    type("%PUT &_QMLP_;");
    ASSERT_TRUE(wait_for("STATUS=SUCCESSFUL PHASE=2 OBJECTIVE=5")) << screen();
    type("PRINT;");
    ASSERT_TRUE(wait_for("not known outside an LP step")) << screen();
    type("QUIT;");
    EXPECT_EQ(exit_status(), "0") << screen();
}

// Ctrl-C at a prompt clears the line being typed and is no break: the
// pause goes on, the run after RUN is not stopped at once, and at the
// prompt after the program it does not end qmlp.  HELP and QUIT need no
// ";".
TEST_F(TerminalSession, CtrlCAtAPromptClearsTheLineAndIsNoBreak) {
    ASSERT_NO_FATAL_FAILURE(start("LP data=p readpause;\nRUN;\n%PUT after &_QMLP_;\n"));
    ASSERT_TRUE(wait_for("LP>")) << screen();
    e2e::shell(tmux() + " send-keys -l 'SHOW OPT'");
    key("C-c");
    type("SHOW STATUS;");
    ASSERT_TRUE(wait_for("Where the run stands: STATUS=PAUSE")) << screen();
    EXPECT_FALSE(contains(screen(), "The options in force")) << screen();
    type("help");
    ASSERT_TRUE(wait_for("NOTE: The run is paused.")) << screen();
    type("RUN;");
    // No break was stored: the run goes to its end without pausing again.
    ASSERT_TRUE(wait_for("after STATUS=SUCCESSFUL")) << screen();
    EXPECT_FALSE(contains(screen(), "The user asked for a break")) << screen();
    e2e::shell(tmux() + " send-keys -l '%PUT never'");
    key("C-c");
    type("%PUT still here;");
    ASSERT_TRUE(wait_for("still here", 2)) << screen();
    EXPECT_FALSE(contains(screen(), "interrupt")) << screen();
    type("quit");
    EXPECT_EQ(exit_status(), "0") << screen();
}

// Ctrl-D at a pause ends the input: the later pauses of the run go on at
// once instead of prompting again.
TEST_F(TerminalSession, CtrlDAtAPauseLetsLaterPausesGoOnAtOnce) {
    ASSERT_NO_FATAL_FAILURE(
        start("LP data=p readpause endpause;\nRUN;\nLP data=p readpause;\nRUN;\n%PUT after &_QMLP_;\n"));
    ASSERT_TRUE(wait_for("LP>")) << screen();
    key("C-d");
    ASSERT_TRUE(wait_for("after STATUS=SUCCESSFUL")) << screen();
    EXPECT_EQ(exit_status(), "0") << screen();
    const std::string s = screen();
    size_t prompts = 0;
    for (size_t at = s.find("LP>"); at != std::string::npos; at = s.find("LP>", at + 1)) ++prompts;
    EXPECT_EQ(prompts, 1u) << s;
}

// Breaks during a long search: each one is handled by a pause, so a second
// break after RUN pauses again instead of ending qmlp; QUIT SAVE then
// writes the point reached.
TEST_F(TerminalSession, ABreakHandledByAPauseIsSpent) {
    // An equality knapsack with no solution: the search runs until stopped.
    std::string data = "_ID_,_TYPE_";
    for (int j = 1; j <= 40; ++j) data += ",x" + std::to_string(j);
    data += ",_RHS_\nobj,MAX";
    for (int j = 1; j <= 40; ++j) data += ",1";
    data += ",.\nsplit,EQ";
    for (int j = 1; j <= 40; ++j) data += "," + std::to_string(2 * (1000 + (j * 7919) % 997));
    data += ",20001\nbin,BINARY";
    for (int j = 1; j <= 40; ++j) data += ",1";
    write("hard.csv", data + ",.\n");
    ASSERT_NO_FATAL_FAILURE(start("LP data=hard imaxit=2000000000 maxit3=2000000000 primalout=po;\nRUN;\n"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    key("C-c");
    ASSERT_TRUE(wait_for("The user asked for a break; pausing.")) << screen();
    type("RUN;");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    key("C-c");
    ASSERT_TRUE(wait_for("The user asked for a break; pausing.", 2)) << screen();
    EXPECT_FALSE(contains(screen(), "interrupt")) << screen();
    type("QUIT SAVE;");
    ASSERT_TRUE(wait_for("LP>", 3)) << screen();
    type("QUIT;");
    EXPECT_EQ(exit_status(), "0") << screen();
    EXPECT_TRUE(fs::exists(dir_ / "po.csv"));
}

}  // namespace
