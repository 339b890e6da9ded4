// The letters of the matrix picture at the ends of their ranges: a value on
// a threshold takes the higher letter.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "report/tableau_matrix_views.h"

namespace {

std::string cell(double a, double fuzz = 1e-10) {
    char out[2];
    tymlp::picture_cell(a, fuzz, DBL_MAX, out);
    return std::string(out, 2);
}

TEST(MatrixPicture, EachOrderOfMagnitudeHasItsLetter) {
    EXPECT_EQ(cell(1), " 1");
    EXPECT_EQ(cell(-1), "-1");
    EXPECT_EQ(cell(0.5), " T");
    EXPECT_EQ(cell(250), " C");
    EXPECT_EQ(cell(1e-11), "  ");
    EXPECT_EQ(cell(-1e-11), "- ");  // the sign stays, the letter is blank
    EXPECT_EQ(cell(DBL_MAX), " .");
    EXPECT_EQ(cell(-DBL_MAX), "-.");
    EXPECT_EQ(cell(1e18), " *");
    EXPECT_EQ(cell(9.9e17), " R");
    EXPECT_EQ(cell(5e-7), " Z");
    // Thresholds: 10 is B, just below is A; 1e-6 - FUZZ is Y.
    EXPECT_EQ(cell(10), " B");
    EXPECT_EQ(cell(9.999), " A");
    EXPECT_EQ(cell(1e-6 - 1e-8, 1e-8), " Y");
    EXPECT_EQ(cell(1e-6 - 2e-8, 1e-8), " Z");
    // About one: within FUZZ of 1 is "1", at 1 + FUZZ it is A.
    EXPECT_EQ(cell(1 + 5e-4, 1e-3), " 1");
    EXPECT_EQ(cell(1 + 1e-3, 1e-3), " A");
    EXPECT_EQ(cell(1 - 1e-3, 1e-3), " 1");
}

}  // namespace
