// `qmlp solve`: the command line it takes and the program it writes.
#include <gtest/gtest.h>

#include <sstream>

#include "front/command_line.h"
#include "front/exit_status.h"
#include "front/solve_command.h"
#include "parse_command_line.h"

using namespace qmlp::front;

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using clitest::parse;
using clitest::Parsed;

TEST(SolveCommandLine, TakesTheFileThenTheOptionsAndHostOptionsOnEitherSide) {
    const Parsed p = parse({"--log", "run.log", "solve", "x.mps.gz", "rangeprice", "printlevel=1", "--json", "r.json"});
    ASSERT_EQ(p.rc, -1) << p.err;
    EXPECT_TRUE(p.cl.solve);
    EXPECT_FALSE(p.cl.from_stdin);
    EXPECT_EQ(p.cl.mps_file, "x.mps.gz");
    EXPECT_EQ(p.cl.solve_options, (std::vector<std::string>{"rangeprice", "printlevel=1"}));
    EXPECT_EQ(p.cl.config.log_file, "run.log");
    EXPECT_EQ(p.cl.config.json_file, "r.json");
    // Member names without a library are files of the current folder.
    EXPECT_EQ(p.cl.config.default_lib, ".");
}

TEST(SolveCommandLine, UsageErrors) {
    const Parsed none = parse({"solve"});
    EXPECT_EQ(none.rc, kExitUsage);
    EXPECT_TRUE(has(none.err, "solve needs an MPS file")) << none.err;

    const Parsed data = parse({"solve", "x.mps", "data=other"});
    EXPECT_EQ(data.rc, kExitUsage);
    EXPECT_TRUE(has(data.err, "DATA= is the imported MPS or LP file")) << data.err;

    const Parsed semicolon = parse({"solve", "x.mps", "maxit=5; %put hello"});
    EXPECT_EQ(semicolon.rc, kExitUsage);
    EXPECT_TRUE(has(semicolon.err, "would end the LP statement")) << semicolon.err;

    EXPECT_EQ(parse({"solve", "x.mps", "--no-such-option"}).rc, kExitUsage);
}

TEST(SolveProgram, OpensEveryLimitTheOptionsLeaveUnset) {
    const std::string plain = solve_program("/tmp/d/afiro.csv", {});
    EXPECT_EQ(plain,
              "LP data=\"/tmp/d/afiro.csv\" sparsedata maxit1=2147483647 maxit2=2147483647 maxit3=2147483647 "
              "imaxit=2147483646 time=2147483647 algorithm=auto lu=1 invtype=auto heuristics=2 varselect=reliable "
              "canselect=obj;\nRUN;\n");

    // MAXIT sets all four iteration limits: none of ours may stand beside it.
    const std::string maxit = solve_program("p.csv", {"MaxIt=1"});
    EXPECT_FALSE(has(maxit, "maxit1=") || has(maxit, "maxit2=") || has(maxit, "maxit3=") || has(maxit, "imaxit="))
        << maxit;
    EXPECT_TRUE(has(maxit,
                    " time=2147483647 algorithm=auto lu=1 invtype=auto heuristics=2 varselect=reliable canselect=obj "
                    "MaxIt=1;"))
        << maxit;

    const std::string some = solve_program("p.csv", {"maxit2=7", "TIME = 5", "imaxit=3"});
    EXPECT_TRUE(has(some,
                    "maxit1=2147483647 maxit3=2147483647 algorithm=auto lu=1 invtype=auto heuristics=2 "
                    "varselect=reliable canselect=obj maxit2=7 "
                    "TIME = 5 imaxit=3;"))
        << some;
    EXPECT_FALSE(has(some, "time=2147483647")) << some;
}

TEST(SolveProgram, TakesTheDualPathUnlessTheCommandLineChoosesOne) {
    EXPECT_EQ(solve_default_options({}), "algorithm=auto lu=1 invtype=auto");
    EXPECT_EQ(solve_default_options({"lu=1", "Algorithm=primal"}), "");
    EXPECT_EQ(solve_default_options({"Algorithm=dual"}), "") << "a chosen algorithm keeps the programs' factorisation";
    // A factorisation on the command line is kept, and the path still added.
    EXPECT_EQ(solve_default_options({"LU = 2"}), "algorithm=auto invtype=auto");
    // So is a refactorisation rule or count.
    EXPECT_EQ(solve_default_options({"invfreq=50"}), "algorithm=auto lu=1");
    EXPECT_EQ(solve_default_options({"INVTYPE = count", "lu=2"}), "algorithm=auto");
    const std::string lu2 = solve_program("p.csv", {"lu=2"});
    EXPECT_FALSE(has(lu2, "lu=1")) << lu2;
    EXPECT_TRUE(has(lu2, " algorithm=auto invtype=auto heuristics=2 varselect=reliable canselect=obj lu=2;")) << lu2;
    EXPECT_EQ(solve_search_options({}), "heuristics=2 varselect=reliable canselect=obj");
    EXPECT_EQ(solve_search_options({"Heuristics=0"}), "varselect=reliable canselect=obj");
    EXPECT_EQ(solve_search_options({"varselect=pensum", "canselect=obj"}), "heuristics=2");
    EXPECT_EQ(solve_search_options({"CanSelect=lifo"}), "heuristics=2 varselect=reliable");
    EXPECT_EQ(solve_search_options({"VARSELECT=2", "heuristics=1"}), "canselect=obj");
    EXPECT_EQ(solve_search_options({"VARSELECT=2", "heuristics=1", "canselect=3"}), "");
    const std::string primal = solve_program("p.csv", {"algorithm=primal"});
    EXPECT_FALSE(has(primal, "algorithm=auto")) << primal;
    EXPECT_TRUE(has(primal, " algorithm=primal;")) << primal;
}

TEST(SolveProgram, QuotesTheImportedPath) {
    EXPECT_TRUE(has(solve_program("/tmp/a\"b/p.csv", {}), "data=\"/tmp/a\"\"b/p.csv\"")) << "quote doubled";
}

TEST(SolveOptionText, DataSetValuesThatAreFilesBecomeQuotedPaths) {
    EXPECT_EQ(solve_option_text("primalout=out.csv"), "PRIMALOUT=\"out.csv\"");
    EXPECT_EQ(solve_option_text("dout=results/dual.CSV"), "DOUT=\"results/dual.CSV\"");
    EXPECT_EQ(solve_option_text("pin=my \"best\" start"), "PIN=\"my \"\"best\"\" start\"");
    EXPECT_EQ(solve_option_text("tout=../t"), "TOUT=\"../t\"");
    // Names stay names: a member of the current folder, a library's member.
    EXPECT_EQ(solve_option_text("primalout=sol"), "primalout=sol");
    EXPECT_EQ(solve_option_text("aout=work.active"), "aout=work.active");
    // Already quoted, or not a data set option at all.
    EXPECT_EQ(solve_option_text("pout='x.csv'"), "pout='x.csv'");
    EXPECT_EQ(solve_option_text("epsilon=1e-9"), "epsilon=1e-9");
    EXPECT_EQ(solve_option_text("scale=both"), "scale=both");
    EXPECT_EQ(solve_option_text("rangeprice"), "rangeprice");
}

}  // namespace
