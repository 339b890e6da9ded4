// Files the output part cannot write are reported, never silently lost.
#include <gtest/gtest.h>

#include <filesystem>

#include "host_api.h"
#include "module_requests.h"
#include "output_fixture.h"

namespace qmlp::host::output {
namespace {

using testing::create_factoid;
using testing::int_entry;
using testing::read_file;
using testing::Request;
using testing::root;

class UnwritableFiles : public testing::OutputFiles {};

TEST_F(UnwritableFiles, AReportThatCannotBeWrittenFailsTheFinish) {
    HostConfig config = config_;
    config.json_file = "/nonexistent-dir/run.json";
    config.html_file = "/nonexistent-dir/run.html";
    EXPECT_FALSE(reconfigure(config));
    output_step_begin(1, "LP");
    TymObject f = create_factoid(root(), "t", "F", "Counts");
    int_entry(f, "Rows", 3);
    Request().send(f, TYM_REQ_END_ENTRIES);
    EXPECT_NE(output_finish(), 0);
    const std::string text = log();
    EXPECT_NE(text.find("ERROR: The JSON file /nonexistent-dir/run.json cannot be written ("), std::string::npos)
        << text;
    EXPECT_NE(text.find("ERROR: The HTML file /nonexistent-dir/run.html cannot be written ("), std::string::npos);
    // The listing still has the table.
    EXPECT_NE(listing().find("Rows    3"), std::string::npos);
}

TEST_F(UnwritableFiles, AListingThatCannotBeOpenedIsReported) {
    HostConfig config = config_;
    config.listing_file = "/nonexistent-dir/run.lst";
    EXPECT_FALSE(reconfigure(config));
    EXPECT_NE(log().find("ERROR: The listing file /nonexistent-dir/run.lst cannot be opened"), std::string::npos);
}

TEST_F(UnwritableFiles, AListingThatRunsOutOfSpaceFailsTheFinish) {
    HostConfig config = config_;
    config.listing_file = "/dev/full";
    ASSERT_TRUE(reconfigure(config));
    output_step_begin(1, "LP");
    TymObject f = create_factoid(root(), "t", "F", "Counts");
    int_entry(f, "Rows", 3);
    Request().send(f, TYM_REQ_END_ENTRIES);
    EXPECT_NE(output_finish(), 0);
    EXPECT_NE(log().find("ERROR: The listing could not be written completely to the listing file /dev/full ("),
              std::string::npos)
        << log();
}

TEST(WholeFile, ReplacesTheTargetOnlyWhenComplete) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qmlp_whole_file_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string target = (dir / "report.json").string();
    std::string why;
    ASSERT_TRUE(write_whole_file(target, "first", &why)) << why;
    ASSERT_TRUE(write_whole_file(target, "second", &why)) << why;
    EXPECT_EQ(read_file(target), "second");
    // A device is written in place, never replaced by a file.
    ASSERT_TRUE(write_whole_file("/dev/null", "gone", &why)) << why;
    EXPECT_FALSE(std::filesystem::is_regular_file("/dev/null"));
    EXPECT_FALSE(write_whole_file("/dev/full", "no room", &why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(write_whole_file((dir / "missing" / "r.json").string(), "x", &why));
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++files;
    EXPECT_EQ(files, 1);
    std::filesystem::remove_all(dir);
}

TEST_F(UnwritableFiles, ARunWithoutTablesStillWritesValidReports) {
    output_step_begin(1, "LP");
    EXPECT_EQ(output_finish(), 0);
    EXPECT_NE(json().find("\"tables\": []"), std::string::npos) << json();
    EXPECT_NE(html().find("This step printed no tables."), std::string::npos);
    EXPECT_EQ(listing(), "");
}

}  // namespace
}  // namespace qmlp::host::output
