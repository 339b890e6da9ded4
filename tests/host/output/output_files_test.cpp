// Files the output part cannot write are reported, never silently lost.
#include <gtest/gtest.h>

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
    output_configure(config);
    output_step_begin(1, "LP");
    TymObject f = create_factoid(root(), "t", "F", "Counts");
    int_entry(f, "Rows", 3);
    Request().send(f, TYM_REQ_END_ENTRIES);
    EXPECT_NE(output_finish(), 0);
    const std::string text = log();
    EXPECT_NE(text.find("ERROR: The JSON file /nonexistent-dir/run.json cannot be written."), std::string::npos)
        << text;
    EXPECT_NE(text.find("ERROR: The HTML file /nonexistent-dir/run.html cannot be written."), std::string::npos);
    // The listing still has the table.
    EXPECT_NE(listing().find("Rows    3"), std::string::npos);
}

TEST_F(UnwritableFiles, AListingThatCannotBeOpenedIsReported) {
    HostConfig config = config_;
    config.listing_file = "/nonexistent-dir/run.lst";
    output_configure(config);
    EXPECT_NE(log().find("ERROR: The listing file /nonexistent-dir/run.lst cannot be opened"), std::string::npos);
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
