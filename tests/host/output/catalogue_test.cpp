// Catalogue completeness and the rendering of message and label texts.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host_api.h"
#include "output/catalogue.h"
#include "output_fixture.h"

namespace qmlp::host::output {
namespace {

std::vector<int> numbers_from(const std::string& file) {
    std::ifstream in(std::string(QMLP_SOURCE_DIR) + "/tests/host/output/" + file);
    EXPECT_TRUE(in.good()) << file;
    std::vector<int> out;
    std::string line;
    while (std::getline(in, line)) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        out.push_back(std::stoi(line.substr(start)));
    }
    return out;
}

TymArg text_arg(const char* s, int len = -1) {
    TymArg a{};
    a.type = TYM_ARG_TEXT;
    a.len = len;
    a.v.s = s;
    return a;
}
TymArg int_arg(int64_t v) {
    TymArg a{};
    a.type = TYM_ARG_INT;
    a.v.i = v;
    return a;
}
TymArg double_arg(double v) {
    TymArg a{};
    a.type = TYM_ARG_DOUBLE;
    a.v.d = v;
    return a;
}

TEST(Catalogue, EveryMessageNumberTheModuleUsesHasAText) {
    const auto numbers = numbers_from("message_numbers.txt");
    ASSERT_GT(numbers.size(), 100u);
    for (int n : numbers) EXPECT_NE(find_message(n), nullptr) << "message 202/" << n;
}

TEST(Catalogue, EveryLabelNumberTheModuleUsesHasAText) {
    const auto numbers = numbers_from("label_numbers.txt");
    ASSERT_GT(numbers.size(), 100u);
    for (int n : numbers) EXPECT_NE(find_label(n), nullptr) << "label 253/" << n;
}

TEST(Catalogue, TablesAreSortedAndUnique) {
    int last = 0;
    for (const MessageEntry& e : message_table()) {
        EXPECT_GT(e.number, last) << "message table out of order at " << e.number;
        last = e.number;
    }
    last = 0;
    for (const LabelEntry& e : label_table()) {
        EXPECT_GT(e.number, last) << "label table out of order at " << e.number;
        last = e.number;
    }
}

TEST(Catalogue, PlaceholdersMatchTheListedArguments) {
    for (const MessageEntry& e : message_table()) {
        const std::string spec = e.args;
        EXPECT_LE(highest_placeholder(e.text), static_cast<int>(spec.size())) << "message " << e.number;
        for (size_t k = 0; k < spec.size(); ++k) {
            EXPECT_NE(std::string("idsn").find(spec[k]), std::string::npos) << "message " << e.number;
            const std::string ph = "%" + std::to_string(k + 1);
            const bool used = std::string(e.text).find(ph) != std::string::npos;
            // Every printed argument appears; a length argument never does.
            EXPECT_EQ(used, spec[k] != 'n') << "message " << e.number << " argument " << k + 1;
        }
        EXPECT_FALSE(std::string(e.text).empty());
        EXPECT_EQ(std::string(e.text).back(), '.') << "message " << e.number << " is not a sentence";
    }
    for (const LabelEntry& e : label_table())
        EXPECT_LE(highest_placeholder(e.text), 1) << "label " << e.number << " takes one argument at most";
}

TEST(Catalogue, LegendLinesFitTheirFiftyFourCharacterLine) {
    for (int n = 106; n <= 120; ++n) {
        const LabelEntry* e = find_label(n);
        ASSERT_NE(e, nullptr);
        EXPECT_LE(std::string(e->text).size(), 54u) << "legend line " << n;
    }
}

TEST(MessageText, TextArgumentsKeepTheirLengthAndLoseTrailingBlanks) {
    // A blank-padded name that is not zero terminated where the length ends.
    const char padded[] = "x_row   garbage";
    const std::vector<TymArg> args = {text_arg("VAR", 3), text_arg(padded, 8), text_arg("numeric")};
    EXPECT_EQ(catalogue_message(202, 18, args), "The variable x_row listed in the VAR statement must be numeric.");
}

TEST(MessageText, NumbersUseTheBestFormat) {
    EXPECT_EQ(catalogue_message(202, 61, {int_arg(2), int_arg(2)}),
              "Phase 2 stopped at its iteration limit (MAXIT2=).");
    EXPECT_EQ(catalogue_message(202, 202, {double_arg(1.5e20)}),
              "The basis factorisation is numerically unstable (modulus 1.5E20).");
    EXPECT_EQ(catalogue_message(202, 235, {double_arg(0.25), double_arg(-12), double_arg(1.0 / 3)}),
              "Proximity 0.25: the incumbent objective is -12 and the best bound of the active nodes is "
              "0.3333333333.");
}

TEST(MessageText, LengthArgumentsMayTravelInsideTheText) {
    // With the name lengths as their own arguments ...
    const std::vector<TymArg> full = {int_arg(6), text_arg("profit"), int_arg(5), text_arg("_RHS_")};
    // ... or only inside the text arguments.
    const std::vector<TymArg> short_form = {text_arg("profit"), text_arg("_RHS_")};
    const std::string expected =
        "The PRIMALIN basis for the objective profit and the right-hand side _RHS_ cannot be factorised.";
    EXPECT_EQ(catalogue_message(202, 187, full), expected);
    EXPECT_EQ(catalogue_message(202, 187, short_form), expected);
    EXPECT_EQ(catalogue_message(202, 227, {text_arg("EPSILON")}),
              "INVTOL= times the machine precision exceeds EPSILON; factorisations may be reported as unstable.");
}

TEST(MessageText, ABlankCheckTextGivesASentenceWithoutIt) {
    EXPECT_EQ(catalogue_message(202, 211, {text_arg("0<fuzz")}),
              "An option value is not valid; it must satisfy 0<fuzz.");
    EXPECT_EQ(catalogue_message(202, 211, {text_arg(" ")}), "An option value is not valid.");
}

TEST(MessageText, MissingArgumentsShowAQuestionMarkAndUnknownNumbersHaveNoText) {
    EXPECT_EQ(catalogue_message(202, 19, {text_arg("RHS")}),
              "The variable ? listed in the RHS statement is not in the data set.");
    EXPECT_FALSE(catalogue_message(202, 9999, {}).has_value());
    EXPECT_FALSE(catalogue_message(203, 18, {}).has_value());
}

TEST(LabelText, ArgumentsAreSubstituted) {
    const TymArg name = text_arg("profit    ", 10);
    EXPECT_EQ(catalogue_label(253, 36, &name), "Maximize profit");
    const TymArg phase = int_arg(2);
    EXPECT_EQ(catalogue_label(253, 78, &phase), "Phase 2 Iterations");
    EXPECT_EQ(catalogue_label(253, 87, nullptr), "Maximum Phase Iterations");
    EXPECT_EQ(catalogue_label(253, 210, nullptr), "Problem Summary");
    EXPECT_EQ(catalogue_label(253, 40, nullptr), "Problem Density (%)");
    EXPECT_FALSE(catalogue_label(253, 1, nullptr).has_value());
    EXPECT_FALSE(catalogue_label(252, 210, nullptr).has_value());
}

TEST(LabelText, CatalogueEntryCopiesAndTruncates) {
    const TymMessageVector* v = message_vector();
    char buf[64];
    EXPECT_EQ(v->catalogue_text(253, 220, nullptr, buf, sizeof buf), 16);
    EXPECT_STREQ(buf, "Solution Summary");
    char small[5];
    EXPECT_EQ(v->catalogue_text(253, 220, nullptr, small, sizeof small), 4);
    EXPECT_STREQ(small, "Solu");
    EXPECT_EQ(v->catalogue_text(253, 2, nullptr, buf, sizeof buf), -1);
    EXPECT_EQ(v->catalogue_text(253, 220, nullptr, nullptr, 10), -1);
    // The legend lines keep their inner layout.
    ASSERT_GT(v->catalogue_text(253, 107, nullptr, buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf).substr(1, 6), "     Z");
    EXPECT_EQ(std::string(buf).substr(15, 2), "to");
}

}  // namespace
}  // namespace qmlp::host::output
