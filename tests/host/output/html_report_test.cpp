// The HTML report: a self-contained page with contents and every table;
// when a browser is installed, it is rendered headless and checked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include "host_api.h"
#include "module_requests.h"
#include "output/report_writers.h"
#include "output_fixture.h"

namespace qmlp::host::output {
namespace {

using testing::create_data;
using testing::create_factoid;
using testing::define_column;
using testing::int_entry;
using testing::open_table;
using testing::OutputFiles;
using testing::read_file;
using testing::Request;
using testing::root;
using testing::text_entry;

constexpr const char* kChromium = "/usr/bin/chromium";

class HtmlReport : public OutputFiles {
  protected:
    // Two solves in step 1 (the summary template repeats), a group in step 2.
    void build_sample() {
        output_step_begin(1, "LP");
        for (const char* objective : {"Max profit", "Min cost <&>"}) {
            TymObject f = create_factoid(root(), "Qm.Lp.ProblemSummary", "ProblemSummary", "Problem Summary");
            text_entry(f, "Objective Function", objective);
            text_entry(f, "RHS Variable", "_RHS_");
            int_entry(f, "Slack", 2);
            Request().send(f, TYM_REQ_END_ENTRIES);
            Request().send(f, TYM_REQ_RELEASE);
            double value = 0;
            char name[8] = {'x', '1', ' ', ' ', ' ', ' ', ' ', ' '};
            TymObject data = create_data(root(), "VariableSummaryData", "Variable Summary Data");
            define_column(data, TYM_COL_CHAR, 8, "VarName", name);
            define_column(data, TYM_COL_DOUBLE, 0, "Activity", &value);
            Request().send(data, TYM_REQ_END_COLUMNS);
            TymObject table = open_table(data, "Qm.Lp.VariableSummary", "VariableSummary", "Variable Summary");
            value = 2.5;
            Request().send(table, TYM_REQ_EMIT_ROW);
            value = missing_value('M');
            Request().send(table, TYM_REQ_EMIT_ROW);
            Request().send(table, TYM_REQ_END_ROWS);
            Request().send(table, TYM_REQ_CLOSE_TABLE);
        }
        output_step_end();
        output_step_begin(2, "LP");
        TymObject group = nullptr;
        Request()
            .slot(TYM_TAG_SLOT, &group)
            .text(TYM_TAG_NAME, "RhsSensitivityGroup")
            .text(TYM_TAG_LABEL, "RHS Sensitivity Analysis")
            .send(root(), TYM_REQ_END_ENTRIES);
        TymObject f =
            create_factoid(root(), "Qm.Lp.RhsSensitivitySummary", "RhsSensitivitySummary", "RHS Sensitivity Summary");
        int_entry(f, "Maximum Phi", 3);
        Request().send(f, TYM_REQ_END_ENTRIES);
        Request().send(group, TYM_REQ_RELEASE);
        ASSERT_EQ(output_finish(), 0);
    }
};

TEST_F(HtmlReport, PageIsSelfContainedWithContentsAndEveryTable) {
    build_sample();
    const std::string page = html();
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("<style>"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<link"), std::string::npos);
    EXPECT_EQ(page.find("http://"), std::string::npos);
    EXPECT_EQ(page.find("https://"), std::string::npos);
    EXPECT_EQ(page.find("src="), std::string::npos);

    // Every table has an anchor and a contents entry pointing at it.
    const std::regex figure(R"re(<figure class="table" id="(t-\d+)")re");
    std::set<std::string> ids;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), figure); it != std::sregex_iterator(); ++it)
        ids.insert((*it)[1]);
    EXPECT_EQ(ids.size(), 5u);
    for (const std::string& id : ids) EXPECT_NE(page.find("href=\"#" + id + "\""), std::string::npos) << id;

    // Solves within a step are named after their problem summary; text is escaped.
    EXPECT_NE(page.find("Objective Function: Max profit"), std::string::npos);
    EXPECT_NE(page.find("Min cost &lt;&amp;&gt;"), std::string::npos);
    EXPECT_EQ(page.find("Min cost <&>"), std::string::npos);
    EXPECT_NE(page.find("id=\"step-1-part-2\""), std::string::npos);
    // Groups are sections; numbers are right-aligned cells; missing values marked.
    EXPECT_NE(page.find("<section class=\"group\""), std::string::npos);
    EXPECT_NE(page.find("<div class=\"group-title\">RHS Sensitivity Analysis</div>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"n\">2.5</td>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"n missing\">.M</td>"), std::string::npos);
    EXPECT_NE(page.find(".n { text-align: right;"), std::string::npos);
}

TEST_F(HtmlReport, TagsAreBalanced) {
    build_sample();
    const std::string page = html();
    for (const char* tag : {"section", "figure", "table", "ol", "li", "tr", "nav", "main", "div"}) {
        const std::regex open(std::string("<") + tag + "[ >]");
        const std::regex close(std::string("</") + tag + ">");
        const auto count = [&](const std::regex& r) {
            return std::distance(std::sregex_iterator(page.begin(), page.end(), r), std::sregex_iterator());
        };
        EXPECT_EQ(count(open), count(close)) << tag;
    }
}

TEST_F(HtmlReport, ARealBrowserShowsEveryTable) {
    if (!std::filesystem::exists(kChromium)) GTEST_SKIP() << "no browser at " << kChromium;
    build_sample();
    const auto profile = dir_ / "profile";
    const auto dom = dir_ / "dom.html";
    const std::string cmd = "timeout 120 " + std::string(kChromium) +
                            " --headless --no-sandbox --disable-gpu --disable-background-networking"
                            " --no-first-run --user-data-dir=" +
                            profile.string() + " --dump-dom file://" + config_.html_file + " > " + dom.string() +
                            " 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string rendered = read_file(dom);
    for (int id = 1; id <= 5; ++id)
        EXPECT_NE(rendered.find("id=\"t-" + std::to_string(id) + "\""), std::string::npos) << id;
    EXPECT_NE(rendered.find("Variable Summary"), std::string::npos);
    EXPECT_NE(rendered.find("RHS Sensitivity Summary"), std::string::npos);
}

}  // namespace
}  // namespace qmlp::host::output
