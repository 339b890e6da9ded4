// The chart of a parametric walk in the HTML report: one mark per finite
// breakpoint, the line through them rising with the objective, nothing
// fetched from outside the page, and no chart for other tables.
#include "output/parametric_chart.h"

#include <gtest/gtest.h>

#include "host_api.h"

namespace qmlp::host::output {
namespace {

Table walk_log(const char* name) {
    Table t;
    t.name = name;
    for (const char* c : {"LeaveVar", "ObjValue", "CurrentPhi"}) {
        Column col;
        col.name = c;
        col.type = std::string(c) == "LeaveVar" ? ColumnType::Character : ColumnType::Double;
        t.columns.push_back(col);
    }
    t.rows.push_back({Cell::text("wood"), Cell::number(3900), Cell::number(30)});
    t.rows.push_back({Cell::text("tables"), Cell::number(4200), Cell::number(180)});
    t.rows.push_back({Cell::text("desks"), Cell::number(missing_value('I')), Cell::number(missing_value('I'))});
    return t;
}

size_t count(const std::string& s, const std::string& part) {
    size_t n = 0;
    for (size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1)) ++n;
    return n;
}

TEST(ParametricChart, MarksEveryFiniteBreakpointOnARisingLine) {
    const std::string svg = parametric_chart_svg(walk_log("RhsParametricLog"));
    ASSERT_EQ(svg.rfind("<svg", 0), 0u);
    EXPECT_EQ(count(svg, "<circle"), 2u);  // the infinite end is not drawn
    // phi 30 at the left end of the axis and the bottom, phi 180 at the
    // right end and the top.
    EXPECT_NE(svg.find("points=\"64.0,166.0 308.0,12.0\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("<title>phi 180, objective 4200</title>"), std::string::npos);
    EXPECT_EQ(svg.find("href"), std::string::npos);
    EXPECT_EQ(count(svg, "http"), 1u);  // the SVG namespace only
}

TEST(ParametricChart, OnlyParametricLogsGetOne) {
    EXPECT_FALSE(parametric_chart_svg(walk_log("PriceParametricLog")).empty());
    EXPECT_TRUE(parametric_chart_svg(walk_log("VariableSummary")).empty());
    Table empty = walk_log("PriceParametricLog");
    empty.rows.resize(0);
    EXPECT_TRUE(parametric_chart_svg(empty).empty());
}

}  // namespace
}  // namespace qmlp::host::output
