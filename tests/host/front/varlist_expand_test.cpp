// Variable-list expansion against the DATA= data set.
#include <gtest/gtest.h>

#include "front/varlist_expand.h"

using namespace qmlp::front;
using qmlp::host::VarInfo;

namespace {

const std::vector<VarInfo> kVars = {{"_TYPE_", TYM_VAR_CHAR, 8},    {"Chairs", TYM_VAR_NUMERIC, 8},
                                    {"tables", TYM_VAR_NUMERIC, 8}, {"note", TYM_VAR_CHAR, 20},
                                    {"desks", TYM_VAR_NUMERIC, 8},  {"_RHS_", TYM_VAR_NUMERIC, 8}};

std::vector<std::string> expand(std::vector<VarItem> items, const std::vector<VarInfo>* vars = &kVars,
                                std::string* error = nullptr) {
    std::vector<std::string> out;
    std::string why = expand_varlist(items, vars, out);
    if (error)
        *error = why;
    else
        EXPECT_EQ(why, "");
    return out;
}

TEST(VarlistExpand, PlainNamesPassThroughAsWritten) {
    EXPECT_EQ(expand({{"chairs", ""}, {"nosuch", ""}}), (std::vector<std::string>{"chairs", "nosuch"}));
    EXPECT_FALSE(varlist_needs_dataset({{"chairs", ""}, {"nosuch", ""}}));
}

TEST(VarlistExpand, RangeFollowsDataSetOrderCaseInsensitively) {
    EXPECT_EQ(expand({{"CHAIRS", ""}, {"chairs", "DESKS"}}),
              (std::vector<std::string>{"CHAIRS", "Chairs", "tables", "note", "desks"}));
    EXPECT_TRUE(varlist_needs_dataset({{"a", "b"}}));
}

TEST(VarlistExpand, BackwardRangeIsAnError) {
    std::string why;
    expand({{"desks", "chairs"}}, &kVars, &why);
    EXPECT_NE(why.find("DESKS-CHAIRS"), std::string::npos) << why;
}

TEST(VarlistExpand, SpecialNamesSelectByType) {
    EXPECT_EQ(expand({{"_numeric_", ""}}), (std::vector<std::string>{"Chairs", "tables", "desks", "_RHS_"}));
    EXPECT_EQ(expand({{"_CHARACTER_", ""}}), (std::vector<std::string>{"_TYPE_", "note"}));
    EXPECT_EQ(expand({{"_Char_", ""}}), (std::vector<std::string>{"_TYPE_", "note"}));
    EXPECT_EQ(expand({{"_ALL_", ""}}).size(), kVars.size());
    EXPECT_TRUE(varlist_needs_dataset({{"_all_", ""}}));
}

TEST(VarlistExpand, WithoutADataSetSpecialNamesPassThrough) {
    EXPECT_EQ(expand({{"_ALL_", ""}}, nullptr), (std::vector<std::string>{"_ALL_"}));
}

TEST(VarlistExpand, NumberedRangesWhenTheNamesAreNotInTheDataSet) {
    EXPECT_EQ(expand({{"rhs1", "rhs3"}}), (std::vector<std::string>{"rhs1", "rhs2", "rhs3"}));
    EXPECT_EQ(expand({{"x08", "X10"}}, nullptr), (std::vector<std::string>{"x08", "x09", "x10"}));
    EXPECT_EQ(expand({{"x8", "x10"}}, nullptr), (std::vector<std::string>{"x8", "x9", "x10"}));
    std::string why;
    expand({{"x3", "x1"}}, nullptr, &why);
    EXPECT_NE(why, "");
    expand({{"x1", "x999999"}}, nullptr, &why);
    EXPECT_NE(why.find("too long"), std::string::npos);
}

TEST(VarlistExpand, UnknownRangeEndsPassThroughForTheModuleToReport) {
    EXPECT_EQ(expand({{"chairs", "nosuch"}}), (std::vector<std::string>{"chairs", "nosuch"}));
    EXPECT_EQ(expand({{"a1", "b2"}}), (std::vector<std::string>{"a1", "b2"}));
}

}  // namespace
