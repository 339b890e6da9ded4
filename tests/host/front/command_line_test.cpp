// Command-line options: what they fill in, and the usage errors (exit 64).
#include <gtest/gtest.h>

#include <sstream>

#include "front/command_line.h"
#include "front/exit_status.h"
#include "parse_command_line.h"

using namespace qmlp::front;

namespace {

using clitest::parse;
using clitest::Parsed;

TEST(CommandLine, FillsTheHostConfiguration) {
    Parsed p = parse({"--lib",         "data",
                      "--libname",     "work=/tmp/w",
                      "--libname",     "Other=o",
                      "--memsize",     "64M",
                      "--log",         "l.txt",
                      "--listing",     "s.txt",
                      "--json",        "j.json",
                      "--html",        "h.html",
                      "--symbols",     "sym.txt",
                      "--set",         "debug=SYN",
                      "--set",         "$GENERIC=0",
                      "--interactive", "--module",
                      "m.so",          "dir/sub/prog.qmlp"});
    ASSERT_EQ(p.rc, -1) << p.err;
    const qmlp::host::HostConfig& c = p.cl.config;
    EXPECT_EQ(c.default_lib, "data");
    EXPECT_EQ(c.libnames.at("WORK"), "/tmp/w");
    EXPECT_EQ(c.libnames.at("OTHER"), "o");
    EXPECT_EQ(c.memsize, 64 << 20);
    EXPECT_EQ(c.log_file, "l.txt");
    EXPECT_EQ(c.listing_file, "s.txt");
    EXPECT_EQ(c.json_file, "j.json");
    EXPECT_EQ(c.html_file, "h.html");
    EXPECT_EQ(c.symbols_file, "sym.txt");
    EXPECT_EQ(c.settings.at("DEBUG"), "SYN");
    EXPECT_EQ(c.settings.at("$GENERIC"), "0");
    EXPECT_TRUE(c.interactive);
    EXPECT_EQ(c.module_path, "m.so");
    EXPECT_EQ(c.program_dir, "dir/sub");
    EXPECT_FALSE(p.cl.from_stdin);
    EXPECT_EQ(p.cl.program, "dir/sub/prog.qmlp");
}

TEST(CommandLine, DefaultsFollowTheProgram) {
    Parsed p = parse({"prog.qmlp"});
    ASSERT_EQ(p.rc, -1);
    EXPECT_EQ(p.cl.config.program_dir, ".");
    EXPECT_EQ(p.cl.config.default_lib, ".");
    EXPECT_NE(p.cl.config.module_path.find("libtymlp.so"), std::string::npos);
    EXPECT_FALSE(p.cl.config.interactive);

    for (auto args : {std::vector<std::string>{}, std::vector<std::string>{"-"}}) {
        Parsed s = parse(args);
        ASSERT_EQ(s.rc, -1);
        EXPECT_TRUE(s.cl.from_stdin);
        EXPECT_EQ(s.cl.config.program_dir, ".");
    }
}

TEST(CommandLine, HelpAndVersionEndWithZero) {
    Parsed h = parse({"--help"});
    EXPECT_EQ(h.rc, kExitOk);
    EXPECT_NE(h.out.find("--memsize"), std::string::npos);
    EXPECT_NE(h.out.find("import-mps"), std::string::npos);
    Parsed v = parse({"--version"});
    EXPECT_EQ(v.rc, kExitOk);
    EXPECT_EQ(v.out.rfind("qmlp ", 0), 0u);
}

TEST(CommandLine, UsageErrorsExitWith64AndAClearMessage) {
    const std::vector<std::vector<std::string>> bad = {{"--frobnicate"},
                                                       {"a.qmlp", "b.qmlp"},
                                                       {"--memsize", "lots"},
                                                       {"--memsize", "0"},
                                                       {"--memsize", "12T"},
                                                       {"--memsize", "-5M"},
                                                       {"--libname", "nolib"},
                                                       {"--libname", "=dir"},
                                                       {"--libname", "a b=d"},
                                                       {"--libname", "lib="},
                                                       {"--set", "NOVALUE"},
                                                       {"--set", "=x"},
                                                       {"--log"},
                                                       {"--libname", std::string(33, 'l') + "=d"}};
    for (const auto& args : bad) {
        Parsed p = parse(args);
        EXPECT_EQ(p.rc, kExitUsage) << args[0];
        EXPECT_EQ(p.err.rfind("qmlp: ", 0), 0u) << p.err;
        EXPECT_NE(p.err.find("--help"), std::string::npos);
    }
}

TEST(CommandLine, MemorySizes) {
    int64_t b = 0;
    EXPECT_TRUE(parse_memsize("512", &b));
    EXPECT_EQ(b, 512);
    EXPECT_TRUE(parse_memsize("64k", &b));
    EXPECT_EQ(b, 64 << 10);
    EXPECT_TRUE(parse_memsize("2G", &b));
    EXPECT_EQ(b, int64_t{2} << 30);
    EXPECT_FALSE(parse_memsize("", &b));
    EXPECT_FALSE(parse_memsize("M", &b));
    EXPECT_FALSE(parse_memsize("1MB", &b));
    EXPECT_FALSE(parse_memsize("99999999999999999999", &b));
    EXPECT_FALSE(parse_memsize("9999999999999G", &b));
}

TEST(ExitStatus, EndCodesMapAndTheLargestWins) {
    EXPECT_EQ(exit_status_for_end_code(0), 0);
    EXPECT_EQ(exit_status_for_end_code(1), 0);
    EXPECT_EQ(exit_status_for_end_code(2000), 2);
    EXPECT_EQ(exit_status_for_end_code(3000), 2);
    EXPECT_EQ(exit_status_for_end_code(1008), 3);
    EXPECT_EQ(exit_status_for_end_code(1016), 4);
    EXPECT_EQ(exit_status_for_end_code(1020), 5);
    EXPECT_EQ(exit_status_for_end_code(kEndAbnormal), 2);
    ExitStatus s;
    s.step_ended(1020);
    s.program_error();
    s.step_ended(0);
    EXPECT_EQ(s.value(), 5);
}

}  // namespace
