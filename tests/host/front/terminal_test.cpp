// Terminal input: lines from a file descriptor, statements over several
// lines, end of input.
#include <gtest/gtest.h>
#include <unistd.h>

#include "front/terminal.h"
#include "front_test_support.h"

using namespace qmlp::front;

namespace {

class TerminalTest : public fronttest::FrontTest {};

TEST_F(TerminalTest, ReadsLinesFromADescriptorUntilEndOfInput) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const std::string input = "show; reset\nmaxit=3;\n\nrun";
    ASSERT_EQ(::write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    ::close(fds[1]);
    TerminalReader reader(make_fd_line_source(fds[0]));
    std::vector<std::string> got;
    Statement s;
    while (reader.read_statement(s)) got.push_back(s.text);
    ::close(fds[0]);
    // The unfinished "run" at the end of input is dropped: only complete
    // statements are delivered from the terminal.
    EXPECT_EQ(got, (std::vector<std::string>{"show", "reset maxit=3"}));
}

TEST_F(TerminalTest, ScriptedBreakDropsThePartialStatement) {
    auto src = std::make_unique<fronttest::ScriptedLines>(
        std::vector<std::optional<std::string>>{"reset maxit=", std::nullopt, "show;"});
    auto* lines = src.get();
    TerminalReader reader(std::move(src));
    Statement s;
    ASSERT_TRUE(reader.read_statement(s));
    EXPECT_EQ(s.text, "show");
    EXPECT_EQ(lines->prompts, (std::vector<std::string>{"LP> ", "  > ", "LP> "}));
    EXPECT_FALSE(reader.read_statement(s));
}

// HELP and QUIT typed without ";" are complete statements; other words
// still wait for their ";".  After the end of the input nothing more is
// read (later pauses go on at once).
TEST_F(TerminalTest, BareHelpAndQuitNeedNoSemicolonAndTheEndOfInputStays) {
    auto src = std::make_unique<fronttest::ScriptedLines>(
        std::vector<std::optional<std::string>>{" help ", "Quit", "show", "status;"});
    auto* lines = src.get();
    TerminalReader reader(std::move(src));
    std::vector<std::string> got;
    Statement s;
    while (reader.read_statement(s)) got.push_back(s.text);
    EXPECT_EQ(got, (std::vector<std::string>{"help", "Quit", "show status"}));
    const size_t prompts = lines->prompts.size();
    EXPECT_FALSE(reader.read_statement(s));
    EXPECT_EQ(lines->prompts.size(), prompts);  // no prompt after the end
}

TEST_F(TerminalTest, NoSourceMeansNoInput) {
    TerminalReader reader(nullptr);
    Statement s;
    EXPECT_FALSE(reader.read_statement(s));
}

}  // namespace
