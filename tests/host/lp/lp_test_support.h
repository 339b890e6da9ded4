// lp_test_support.h -- reading LP texts for the tests, and the problem the
// written data set describes (through the MPS tests' reading of the sparse
// layout).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "../mps/mps_test_support.h"
#include "lp/lp_reader.h"

namespace qmlp::host::lp::testing {

using mps::testing::kInf;
using mps::testing::Layout;
using mps::testing::read_layout;
using mps::testing::row_interval;

struct ParsedLp {
    bool ok = false;
    mps::Model model;
    mps::ReadReport report;
};

inline ParsedLp parse_lp(const std::string& text) {
    ParsedLp p;
    mps::TextLineSource source(text);
    p.ok = read_lp(source, p.model, p.report);
    return p;
}

// The problem as the procedure will read it; fails the test when the text
// is refused or the data set does not read back.
inline Layout lp_layout(const std::string& text) {
    ParsedLp p = parse_lp(text);
    EXPECT_TRUE(p.ok) << p.report.error.line << ": " << p.report.error.text << "\n" << text;
    Layout layout = read_layout(mps::testing::write_text(p.model));
    EXPECT_EQ(layout.error, "") << text;
    return layout;
}

}  // namespace qmlp::host::lp::testing
