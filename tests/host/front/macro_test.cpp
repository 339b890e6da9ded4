// Macro variables: reference resolution rules and the macro vector.
#include <gtest/gtest.h>

#include "front/macro_store.h"
#include "front_test_support.h"

using namespace qmlp::front;

namespace {

class MacroTest : public fronttest::FrontTest {
  protected:
    void SetUp() override {
        FrontTest::SetUp();
        store.set("x", "ten");
        store.set("_QMLP_", "STATUS=SUCCESSFUL PHASE=2");
    }
    std::string resolve(const std::string& text) {
        undefined.clear();
        return resolve_macros(text, store, &undefined);
    }
    MacroStore store;
    std::vector<std::string> undefined;
};

TEST_F(MacroTest, ReferencesResolveCaseInsensitively) {
    EXPECT_EQ(resolve("a &X b &_qmlp_"), "a ten b STATUS=SUCCESSFUL PHASE=2");
    EXPECT_TRUE(undefined.empty());
}

TEST_F(MacroTest, DotEndsTheNameAndIsDropped) { EXPECT_EQ(resolve("&x.th &x..csv &x.."), "tenth ten.csv ten."); }

TEST_F(MacroTest, NameEndsAtTheFirstCharacterThatCannotBeInAName) {
    EXPECT_EQ(resolve("&x-1 (&x) &x;"), "ten-1 (ten) ten;");
}

TEST_F(MacroTest, UndefinedReferencesStayAsWrittenAndAreListed) {
    EXPECT_EQ(resolve("&nope. and &x and &Other"), "&nope. and ten and &Other");
    EXPECT_EQ(undefined, (std::vector<std::string>{"NOPE", "OTHER"}));
}

TEST_F(MacroTest, AmpersandWithoutANameIsText) {
    EXPECT_EQ(resolve("a & b && &1 &"), "a & b && &1 &");
    EXPECT_TRUE(undefined.empty());
}

TEST_F(MacroTest, SingleQuotesProtectDoubleQuotesDoNot) {
    EXPECT_EQ(resolve("'&x' \"&x\" \"it's &x\""), "'&x' \"ten\" \"it's ten\"");
}

TEST_F(MacroTest, ValuesAreNotScannedAgain) {
    store.set("loop", "&loop");
    EXPECT_EQ(resolve("&loop"), "&loop");
    EXPECT_TRUE(undefined.empty());
}

TEST_F(MacroTest, OverlongNamesAreNeverDefined) {
    const std::string name(33, 'a');
    EXPECT_FALSE(store.set(name, "v"));
    EXPECT_TRUE(store.set(std::string(32, 'a'), "v"));
    EXPECT_EQ(resolve("&" + name), "&" + name);
    EXPECT_EQ(undefined.size(), 1u);
}

TEST_F(MacroTest, NamesMustBeNames) {
    EXPECT_FALSE(store.set("", "v"));
    EXPECT_FALSE(store.set("1a", "v"));
    EXPECT_FALSE(store.set("a b", "v"));
    EXPECT_FALSE(store.set("a", std::string(kMacroValueMax + 1, 'v')));
}

TEST_F(MacroTest, ResolveAndWarnWritesOneWarningPerReference) {
    resolve_and_warn("&a &a &x", store);
    EXPECT_EQ(count_lines_starting("WARNING: Macro variable A is not defined"), 2) << log_text();
}

TEST_F(MacroTest, VectorSetsAndGetsThroughTheGlobalScope) {
    macros().clear();
    const TymMacroVector* v = macro_vector();
    ASSERT_EQ(v->size, sizeof(TymMacroVector));
    TymScope scope = v->scope();
    ASSERT_NE(scope, nullptr);
    // The module passes blank-padded names with their lengths.
    ASSERT_EQ(v->set(scope, "_QMLP_  ", 8, "STATUS=X PHASE=0", 8), 0);
    EXPECT_EQ(*macros().get("_qmlp_"), "STATUS=X");
    char buf[6];
    EXPECT_EQ(v->get(scope, "_QMLP_", 6, buf, sizeof buf), 8);  // full length
    EXPECT_STREQ(buf, "STATU");                                 // cut to fit
    EXPECT_EQ(v->get(scope, "nosuch", -1, buf, sizeof buf), -1);
    EXPECT_EQ(v->set(scope, "bad name", -1, "x", -1), -1);
    EXPECT_EQ(v->set(nullptr, "a", -1, "x", -1), -1);
    macros().clear();
}

}  // namespace
