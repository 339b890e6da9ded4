// progress_line_test.cpp -- the live progress line at a real terminal (a
// tmux pane) and with standard error redirected.  Uses shared instances
// that take a noticeable time; skipped without tmux or the shared folder.
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;
using e2e::contains;

fs::path instance(const std::string& folder, const std::string& name) {
    return e2e::bench_dir(folder) / (name + ".mps.gz");
}

class ProgressLine : public e2e::ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        if (!fs::exists(instance("miplib3", "p0201")) || !fs::exists(instance("netlib-large", "25fv47")))
            GTEST_SKIP() << "no shared instances";
    }
    void TearDown() override {
        if (!socket_.empty()) e2e::shell(tmux() + " kill-server >/dev/null 2>&1");
        ScratchFolder::TearDown();
    }
    std::string tmux() const { return "tmux -L " + socket_; }

    void start_in_terminal(const std::string& arguments) {
        if (e2e::shell("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
        static int sessions = 0;
        socket_ = "qmlp-progress-" + std::to_string(::getpid()) + "-" + std::to_string(++sessions);
        const std::string command = "cd " + e2e::quoted(dir_.string()) + " && " +
                                    e2e::quoted(e2e::qmlp_binary().string()) + " " + arguments +
                                    " >listing.txt; echo $? > exit.txt; sleep 60";
        ASSERT_EQ(e2e::shell(tmux() + " new-session -d -x 160 -y 50 " + e2e::quoted(command)), 0);
    }
    std::string screen() {
        const fs::path out = dir_ / "screen.txt";
        e2e::shell(tmux() + " capture-pane -p -S -200 > " + e2e::quoted(out.string()));
        return e2e::slurp(out);
    }
    // Polls the screen every 20 ms until the run ends; true when `text` was
    // seen on it meanwhile.
    bool seen_while_running(const std::string& text) {
        bool seen = false;
        for (int k = 0; k < 6000 && !fs::exists(dir_ / "exit.txt"); ++k) {
            seen = seen || contains(screen(), text);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return seen;
    }

    std::string socket_;
};

// In branch and bound the line shows the search; it is gone when the run
// has printed its last line, and the log on the screen is whole.  A search
// stopped by its time limit lasts long enough for the line to be drawn on
// any machine.
TEST_F(ProgressLine, ATerminalSeesTheSearchAndTheLineGoesAway) {
    ASSERT_NO_FATAL_FAILURE(
        start_in_terminal("solve " + e2e::quoted(instance("miplib3", "pk1").string()) + " time=2"));
    EXPECT_TRUE(seen_while_running("  active ")) << screen();
    const std::string end = screen();
    EXPECT_TRUE(contains(end, "_QMLP_: STATUS=MAX_TIME")) << end;
    EXPECT_FALSE(contains(end, "  active ")) << end;
    EXPECT_FALSE(contains(end, "  iter ")) << end;
    EXPECT_EQ(e2e::slurp(dir_ / "exit.txt"), "0\n");
}

TEST_F(ProgressLine, NoProgressKeepsTheTerminalClean) {
    ASSERT_NO_FATAL_FAILURE(
        start_in_terminal("--no-progress solve " + e2e::quoted(instance("miplib3", "p0201").string())));
    EXPECT_FALSE(seen_while_running("  iter ")) << screen();
}

// Redirected, standard error gets no line unless --progress asks; the log
// file never does.
TEST_F(ProgressLine, ARedirectedStandardErrorGetsItOnlyWhenAsked) {
    const std::string q = e2e::quoted(e2e::qmlp_binary().string());
    const std::string lp = e2e::quoted(instance("netlib-large", "25fv47").string());
    const std::string d = e2e::quoted(dir_.string());
    ASSERT_EQ(e2e::shell("cd " + d + " && " + q + " solve " + lp + " printlevel=-2 >/dev/null 2>plain.txt"), 0);
    EXPECT_FALSE(contains(e2e::slurp(dir_ / "plain.txt"), "\r")) << e2e::slurp(dir_ / "plain.txt");
    ASSERT_EQ(e2e::shell("cd " + d + " && " + q + " --progress --log log.txt solve " + lp +
                         " printlevel=-2 >/dev/null 2>forced.txt"),
              0);
    const std::string forced = e2e::slurp(dir_ / "forced.txt");
    EXPECT_TRUE(contains(forced, "\rphase ")) << forced;
    EXPECT_TRUE(contains(forced, "\r\x1b[K")) << forced;
    const std::string log = e2e::slurp(dir_ / "log.txt");
    EXPECT_FALSE(contains(log, "\r")) << log;
    EXPECT_FALSE(contains(log, "  iter ")) << log;
    EXPECT_TRUE(contains(log, "_QMLP_: STATUS=SUCCESSFUL")) << log;
}

}  // namespace
