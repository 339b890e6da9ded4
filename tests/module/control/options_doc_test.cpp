// docs/options.md is made from the grammar and the options table: this test
// fails when the checked-in page no longer says what the code accepts.
// QMLP_UPDATE_DOCS=1 writes the page anew.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "control/options_doc.h"

namespace {

TEST(OptionsDoc, TheCheckedInPageMatchesTheOptionsTable) {
    const std::string made = tymlp::lp_options_markdown();
    const std::filesystem::path page = std::filesystem::path(QMLP_SOURCE_DIR) / "docs" / "options.md";
    if (std::getenv("QMLP_UPDATE_DOCS") != nullptr) std::ofstream(page, std::ios::binary) << made;
    std::ifstream in(page, std::ios::binary);
    ASSERT_TRUE(in) << page << " is missing: run with QMLP_UPDATE_DOCS=1";
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), made) << page << " is stale: run with QMLP_UPDATE_DOCS=1 and review the change";
}

TEST(OptionsDoc, EveryDocumentedKindOfOptionIsThere) {
    const std::string made = tymlp::lp_options_markdown();
    // A number with its check, a choice with its words, a data set with its
    // alias, a keyword, and no experimental keyword.
    EXPECT_NE(made.find("| EPSILON | EPS | `=number` | `0<epsilon` | 1e-08 |"), std::string::npos) << made;
    EXPECT_NE(made.find("| SCALE |"), std::string::npos);
    EXPECT_NE(made.find("BOTH (3)"), std::string::npos);
    EXPECT_NE(made.find("| PRIMALOUT | POUT | `=data set`"), std::string::npos);
    EXPECT_NE(made.find("| DEVEX |"), std::string::npos);
    EXPECT_EQ(made.find('$'), std::string::npos);
}

}  // namespace
