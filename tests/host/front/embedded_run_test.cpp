// A program run inside the caller's process: the results of each step, the
// data sets read back, failures as exit statuses, and a process left as it
// was found (no temporary files, the caller's SIGINT action).
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "front/embedded_run.h"
#include "front/exit_status.h"
#include "host_api.h"

namespace fs = std::filesystem;
using qmlp::host::EmbeddedDataSet;
using qmlp::host::EmbeddedRequest;
using qmlp::host::EmbeddedRun;
using qmlp::host::EmbeddedSource;

namespace {

constexpr const char* kProductMix =
    "_ID_,_TYPE_,chairs,tables,desks,_RHS_\n"
    "profit,MAX,30,50,40,.\n"
    "wood,LE,2,4,3,300\n"
    "labour,LE,4,3,5,360\n"
    "finishing,LE,1,2,1,120\n"
    "up,UPPERBD,.I,10,.,.\n";

class EmbeddedRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("qmlp_embedded_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "tmp");
        std::ofstream(dir / "mix.csv") << kProductMix;
        // Every temporary file of the run goes below dir/tmp, so the test can
        // see that none is left.
        const char* old = std::getenv("TMPDIR");
        saved_tmpdir = old != nullptr ? old : "";
        had_tmpdir = old != nullptr;
        setenv("TMPDIR", (dir / "tmp").c_str(), 1);
        request.module_path = std::string(QMLP_BUILD_DIR) + "/libtymlp.so";
        request.program_dir = dir.string();
    }
    void TearDown() override {
        if (had_tmpdir)
            setenv("TMPDIR", saved_tmpdir.c_str(), 1);
        else
            unsetenv("TMPDIR");
        fs::remove_all(dir);
    }

    static const qmlp::host::EmbeddedColumn* column(const EmbeddedDataSet& set, const std::string& name) {
        for (const auto& c : set.columns)
            if (c.name == name) return &c;
        return nullptr;
    }

    fs::path dir;
    std::string saved_tmpdir;
    bool had_tmpdir = false;
    EmbeddedRequest request;
    EmbeddedRun run;
};

TEST_F(EmbeddedRunTest, EachStepHasItsStatusLogAndDataSets) {
    request.program =
        "LP data=mix primalout=work.p1;\nRUN;\n%PUT between steps;\n"
        "LP data=mix maxit=1 primalout=work.p2 dualout=work.d2;\nRUN;\n";
    EXPECT_EQ(qmlp::host::run_embedded(request, run), qmlp::front::kExitOk) << run.log;
    ASSERT_EQ(run.steps.size(), 2u);
    const auto& first = run.steps[0];
    const auto& second = run.steps[1];
    EXPECT_TRUE(first.status_set);
    EXPECT_EQ(first.status_macro.rfind("STATUS=SUCCESSFUL", 0), 0u) << first.status_macro;
    EXPECT_NE(second.status_macro.find("STATUS="), std::string::npos);
    EXPECT_NE(first.status_macro, second.status_macro);
    EXPECT_EQ(run.macros.at("_QMLP_"), second.status_macro);

    // Each step's log is its own part, in order, and the host statement
    // between them belongs to neither.
    EXPECT_LE(first.log_begin, first.log_end);
    EXPECT_LE(first.log_end, second.log_begin);
    EXPECT_LE(second.log_end, run.log.size());
    const std::string between = run.log.substr(first.log_end, second.log_begin - first.log_end);
    EXPECT_NE(between.find("between steps"), std::string::npos) << run.log;

    ASSERT_EQ(first.outputs.size(), 1u);
    EXPECT_EQ(first.outputs[0].name, "WORK.P1");
    ASSERT_EQ(second.outputs.size(), 2u);
    const EmbeddedDataSet& primal = first.outputs[0];
    const auto* var = column(primal, "_VAR_");
    const auto* value = column(primal, "_VALUE_");
    const auto* upper = column(primal, "_UBOUND_");
    ASSERT_TRUE(var && value && upper);
    ASSERT_FALSE(var->numeric);
    ASSERT_GE(var->texts.size(), 3u);
    EXPECT_EQ(var->texts[1], "tables");  // no blank padding
    EXPECT_DOUBLE_EQ(value->numbers[1], 10.0);
    EXPECT_DOUBLE_EQ(upper->numbers[1], 10.0);
    // Missing values keep their codes: the objective row has no dual value.
    const EmbeddedDataSet& dual = second.outputs[0].name == "WORK.D2" ? second.outputs[0] : second.outputs[1];
    const auto* row = column(dual, "_ROW_ID_");
    const auto* price = column(dual, "_DUAL_");
    ASSERT_TRUE(row && price);
    ASSERT_EQ(row->texts[0], "profit");
    EXPECT_EQ(qmlp::host::missing_letter(price->numbers[0]), '.');
    EXPECT_EQ(qmlp::host::missing_letter(price->numbers[1]), 0);

    EXPECT_NE(run.tables_json.find("\"SolutionSummary\""), std::string::npos);
    EXPECT_NE(run.listing.find("Solution Summary"), std::string::npos);
}

TEST_F(EmbeddedRunTest, DataSetWrittenTwiceInAStepIsReadOnce) {
    request.program = "LP data=mix primalout=work.same dualout=work.same;\nRUN;\n";
    qmlp::host::run_embedded(request, run);
    ASSERT_EQ(run.steps.size(), 1u);
    ASSERT_EQ(run.steps[0].outputs.size(), 1u) << run.log;
}

TEST_F(EmbeddedRunTest, SolveRequestsGoThroughTheSolveProgram) {
    request.source = EmbeddedSource::SolveData;
    request.problem_path = (dir / "mix.csv").string();
    request.sparse = false;
    request.options = {"rangeprice", "primalout=work.p"};
    EXPECT_EQ(qmlp::host::run_embedded(request, run), qmlp::front::kExitOk) << run.log;
    ASSERT_EQ(run.steps.size(), 1u);
    EXPECT_NE(run.tables_json.find("PriceRangeSummary"), std::string::npos);
    // the limits of a solve are as high as they go
    EXPECT_NE(run.steps[0].status_macro.find("STATUS=SUCCESSFUL"), std::string::npos);

    request.options = {"maxit=1;RUN"};
    EXPECT_EQ(qmlp::host::run_embedded(request, run), qmlp::front::kExitUsage);
    EXPECT_TRUE(run.steps.empty());
    EXPECT_NE(run.log.find("ERROR: "), std::string::npos);
}

TEST_F(EmbeddedRunTest, FailuresAreExitStatusesWithTheirErrorsInTheLog) {
    std::ofstream(dir / "bad.mps") << "NAME bad\nROWS\n N obj\nCOLUMNS\n x obj abc\nENDATA\n";
    request.source = EmbeddedSource::SolveFile;
    request.problem_path = (dir / "bad.mps").string();
    EXPECT_EQ(qmlp::host::run_embedded(request, run), qmlp::front::kExitProgramError);
    EXPECT_NE(run.log.find("bad.mps:5"), std::string::npos) << run.log;

    request = EmbeddedRequest{};
    request.program = "LP data=mix;\nRUN;\n";
    request.program_dir = dir.string();
    request.module_path = (dir / "no-module.so").string();
    EXPECT_EQ(qmlp::host::run_embedded(request, run), qmlp::front::kExitModuleLoad);
    EXPECT_NE(run.log.find("Cannot use the procedure module"), std::string::npos) << run.log;

    request.module_path = std::string(QMLP_BUILD_DIR) + "/libtymlp.so";
    request.sqlite_libraries = {{"db", (dir / "no-folder" / "x.db").string()}};
    EXPECT_NE(qmlp::host::run_embedded(request, run), qmlp::front::kExitOk);
    EXPECT_TRUE(run.steps.empty());
}

TEST_F(EmbeddedRunTest, RunsLeaveNoFilesAndPutTheInterruptActionBack) {
    struct sigaction before {};
    struct sigaction mine {};
    mine.sa_handler = SIG_IGN;
    sigaction(SIGINT, &mine, &before);
    request.program = "LP data=mix primalout=work.p;\nRUN;\n";
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(qmlp::host::run_embedded(request, run), qmlp::front::kExitOk) << run.log;
        EXPECT_TRUE(fs::is_empty(dir / "tmp"));
    }
    struct sigaction after {};
    sigaction(SIGINT, &before, &after);
    EXPECT_EQ(after.sa_handler, SIG_IGN);
}

}  // namespace
