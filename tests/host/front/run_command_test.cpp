// The qmlp command in-process: exit statuses of program errors, of a module
// that cannot be loaded, of usage errors, and the --symbols file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "front/exit_status.h"
#include "host_api.h"

namespace fs = std::filesystem;

namespace {

class CommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("qmlp_front_cmd_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const std::string& text) {
        const fs::path p = dir / name;
        std::ofstream(p) << text;
        return p.string();
    }
    std::string read(const std::string& name) {
        std::ifstream in(dir / name);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The log with its long lines unfolded: blank runs become one blank.
    std::string flat_log() {
        std::string out;
        for (char c : read("log.txt")) {
            const bool blank = c == ' ' || c == '\n';
            if (blank && !out.empty() && out.back() == ' ') continue;
            out += blank ? ' ' : c;
        }
        return out;
    }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"qmlp", "--log", (dir / "log.txt").string(), "--listing", (dir / "list.txt").string()});
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        return qmlp::host::run_command(static_cast<int>(argv.size()), argv.data());
    }

    fs::path dir;
};

TEST_F(CommandTest, UnreadableProgramIsAnInputOutputFailureNamingTheFile) {
    const std::string missing = (dir / "missing.qmlp").string();
    EXPECT_EQ(run({missing}), qmlp::front::kExitIo);
    EXPECT_NE(flat_log().find("ERROR: Cannot read the program file " + missing), std::string::npos) << flat_log();
    EXPECT_EQ(run({dir.string()}), qmlp::front::kExitIo);  // a folder
}

TEST_F(CommandTest, ModuleWithAWrongMagicIsRefusedBeforeAnyStep) {
    const std::string bad = std::string(QMLP_BUILD_DIR) + "/test-modules/libfront_module_bad_magic.so";
    const std::string prog = write("p.qmlp", "%put before;\nLP data=x; RUN;\n");
    EXPECT_EQ(run({"--module", bad, prog}), qmlp::front::kExitModuleLoad);
    const std::string log = flat_log();
    EXPECT_NE(log.find("ERROR: Cannot use the procedure module " + bad + ": "), std::string::npos) << log;
    EXPECT_NE(log.find("magic number 0xDEADBEEF"), std::string::npos) << log;
    EXPECT_EQ(log.find("before"), std::string::npos) << log;
}

TEST_F(CommandTest, ProgramWithoutStepsNeedsNoModule) {
    const std::string prog = write("p.qmlp", "%put only host statements;\n");
    EXPECT_EQ(run({"--module", (dir / "nothing.so").string(), prog}), qmlp::front::kExitOk);
    EXPECT_NE(flat_log().find("only host statements"), std::string::npos);
}

TEST_F(CommandTest, SymbolsFileListsEveryMacroVariable) {
    const std::string prog = write("p.qmlp", "%let b = two words;\n%let a=1;\n%let B = again;\n");
    EXPECT_EQ(run({"--symbols", (dir / "sym.txt").string(), prog}), qmlp::front::kExitOk);
    EXPECT_EQ(read("sym.txt"), "A=1\nB=again\n");
}

TEST_F(CommandTest, UnwritableOutputsEndWithAnInputOutputFailureBeforeAnythingRuns) {
    const std::string prog = write("p.qmlp", "%put the program ran;\n");
    EXPECT_EQ(run({"--symbols", (dir / "no/such/dir/sym.txt").string(), prog}), qmlp::front::kExitIo);
    EXPECT_NE(flat_log().find("ERROR: Cannot write the symbols file"), std::string::npos) << flat_log();
    EXPECT_EQ(flat_log().find("the program ran"), std::string::npos);
    EXPECT_EQ(run({"--json", (dir / "no/such/dir/r.json").string(), prog}), qmlp::front::kExitIo);
    EXPECT_NE(flat_log().find("ERROR: The JSON file"), std::string::npos) << flat_log();
    EXPECT_EQ(run({"--html", dir.string(), prog}), qmlp::front::kExitIo);  // a folder
    EXPECT_NE(flat_log().find("it is a folder"), std::string::npos) << flat_log();
    EXPECT_EQ(flat_log().find("the program ran"), std::string::npos);
}

TEST_F(CommandTest, BadCommandLineExitsWith64) {
    EXPECT_EQ(run({"--memsize", "lots", "p.qmlp"}), qmlp::front::kExitUsage);
    EXPECT_EQ(run({"--no-such-option"}), qmlp::front::kExitUsage);
}

}  // namespace
