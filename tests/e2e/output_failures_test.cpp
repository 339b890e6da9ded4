// Output that cannot be written is an input/output failure (exit status 5)
// with an ERROR, never a silent loss: the listing or the log on a full
// device, a report into a missing folder, a missing program file.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace e2e {
namespace {

constexpr int kExitIo = 5;

class OutputFailures : public ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        write("p.csv", "_ID_,_TYPE_,a,b,_RHS_\nprofit,MAX,3,2,.\nc1,LE,1,1,4\nc2,LE,1,3,6\n");
        write("p.qmlp", "%PUT starting;\nLP data=p;\nRUN;\n");
    }
    // Runs the program with extra options; stderr goes to err.txt.
    int run_with(const std::string& options) {
        return shell(quoted(qmlp_binary().string()) + " --lib " + quoted(dir_.string()) + " " + options + " " +
                     quoted((dir_ / "p.qmlp").string()) + " </dev/null >/dev/null 2>" +
                     quoted((dir_ / "err.txt").string()));
    }
    std::string err() { return slurp(dir_ / "err.txt"); }
};

TEST_F(OutputFailures, AListingOnAFullDevice) {
    EXPECT_EQ(run_with("--listing /dev/full"), kExitIo);
    EXPECT_TRUE(contains(err(), "ERROR: The listing could not be written completely to the listing file /dev/full"))
        << err();
}

TEST_F(OutputFailures, TheLogOnAFullDevice) {
    EXPECT_EQ(run_with("--log /dev/full"), kExitIo);
    EXPECT_TRUE(contains(err(), "ERROR: The log could not be written completely to the log file /dev/full")) << err();
}

TEST_F(OutputFailures, OutputsThatCannotBeOpenedStopTheRunBeforeItStarts) {
    const std::string missing = (dir_ / "no" / "such").string();
    EXPECT_EQ(run_with("--listing " + quoted(missing + "/x.lst")), kExitIo);
    EXPECT_TRUE(contains(err(), "ERROR: The listing file " + missing + "/x.lst cannot be opened")) << err();
    EXPECT_EQ(run_with("--log " + quoted(missing + "/x.log")), kExitIo);
    EXPECT_TRUE(contains(err(), "ERROR: The log file " + missing + "/x.log cannot be opened")) << err();
    EXPECT_EQ(run_with("--json " + quoted(missing + "/x.json")), kExitIo);
    EXPECT_TRUE(contains(err(), "ERROR: The JSON file " + missing + "/x.json cannot be written")) << err();
    EXPECT_FALSE(contains(err(), "starting")) << "the program must not run: " << err();
    EXPECT_EQ(run_with("--symbols " + quoted(missing + "/sym.txt")), kExitIo);
    EXPECT_TRUE(contains(err(), "ERROR: Cannot write the symbols file " + missing + "/sym.txt")) << err();
}

TEST_F(OutputFailures, AMissingProgramFileIsNamed) {
    const std::string missing = (dir_ / "nothing.qmlp").string();
    const int status = shell(quoted(qmlp_binary().string()) + " " + quoted(missing) + " >/dev/null 2>" +
                             quoted((dir_ / "err.txt").string()));
    EXPECT_EQ(status, kExitIo);
    EXPECT_TRUE(contains(err(), "ERROR: Cannot read the program file " + missing)) << err();
}

TEST_F(OutputFailures, ReportsAreWrittenWholeAndTheRunSucceeds) {
    EXPECT_EQ(
        run_with("--json " + quoted((dir_ / "r.json").string()) + " --symbols " + quoted((dir_ / "s.txt").string())), 0)
        << err();
    EXPECT_TRUE(contains(slurp(dir_ / "r.json"), "\"tables\""));
    EXPECT_TRUE(contains(slurp(dir_ / "s.txt"), "_QMLP_=STATUS=SUCCESSFUL"));
}

}  // namespace
}  // namespace e2e
