// The option table itself and the defaults create_context takes from it.
#include <cfloat>
#include <cmath>
#include <set>
#include <string>

#include "control/option_table.h"
#include "control/run_steps.h"
#include "control_fixture.h"

namespace {

using namespace tymlp;

TEST(OptionTable, NamesAndSlotsAreUniqueAndInTableOrder) {
    std::set<std::string> names;
    int previous_slot = -1;
    for (int i = 0; i < option_table_size(); ++i) {
        const OptionSpec& entry = option_table()[i];
        EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
        EXPECT_GT(static_cast<int>(entry.slot), previous_slot) << entry.name;
        previous_slot = entry.slot + ((entry.rules & kRulePair) != 0 ? 1 : 0);
        EXPECT_LT(previous_slot, static_cast<int>(kSlotCount)) << entry.name;
        EXPECT_LT(previous_slot, TYM_MAX_SLOTS) << entry.name;
        EXPECT_NE(entry.check_text, nullptr);
        EXPECT_GT(std::string(entry.check_text).size(), 0u) << entry.name;
        if ((entry.rules & kRuleGated) != 0) {
            EXPECT_GE(entry.gate_bit, 0) << entry.name;
        }
        if ((entry.rules & kRuleObjectiveNote) != 0) {
            EXPECT_NE(entry.note_text, nullptr) << entry.name;
        }
        EXPECT_EQ(find_option(entry.name), &entry);
    }
    EXPECT_EQ(std::string(option_table()[0].name), "PENALTYDEPTH");
    // The extensions follow the original options, the refactorisation rule
    // last.
    EXPECT_EQ(std::string(option_table()[option_table_size() - 1].name), "INVTYPE");
}

TEST(OptionTable, DefaultsLieInsideTheirRangesUnlessTheyMeanNotGiven) {
    minihost::install();
    for (int i = 0; i < option_table_size(); ++i) {
        const OptionSpec& entry = option_table()[i];
        const double value = option_default(entry);
        if ((entry.rules & kRuleSentinelDefault) != 0) continue;
        EXPECT_TRUE(option_in_range(entry, value, 1e-8)) << entry.name << " default " << value;
    }
}

TEST(OptionTable, InfinityFollowsTheGenericSetting) {
    auto& host = minihost::install();
    const OptionSpec& inf = *find_option("INFINITY");
    EXPECT_EQ(option_default(inf), DBL_MAX);
    host.settings["$GENERIC"] = "0";
    EXPECT_EQ(option_default(inf), 1.7e38);
    host.settings["$GENERIC"] = "1";
    EXPECT_EQ(option_default(inf), DBL_MAX);
}

TEST(OptionTable, BepsilonDefaultFollowsTheRoundingUnit) {
    const double expected = 0.5 * std::pow(1.110223024625157e-16, 0.375);
    EXPECT_DOUBLE_EQ(bepsilon_default(), expected);
    EXPECT_TRUE(option_in_range(*find_option("BEPSILON"), bepsilon_default(), 1e-8));
}

TEST(OptionTable, IntegerConversionSaturates) {
    EXPECT_EQ(option_to_integer(2.9), 2);
    EXPECT_EQ(option_to_integer(-2.9), -2);
    EXPECT_EQ(option_to_integer(1e300), INT64_MAX);
    EXPECT_EQ(option_to_integer(-1e300), INT64_MIN);
    EXPECT_EQ(option_to_integer(std::nan("")), INT64_MIN);
}

class Defaults : public spine_test::ContextTest {};

TEST_F(Defaults, CreateContextSetsEveryDefault) {
    const LpOptions& o = ctx_->options;
    EXPECT_EQ(o.epsilon, 1e-8);
    EXPECT_EQ(o.repsilon, 1e-10);
    EXPECT_EQ(o.infinity, DBL_MAX);
    EXPECT_EQ(o.maxit1, 100);
    EXPECT_EQ(o.maxit3, 99999999);
    EXPECT_EQ(o.maxit, 2147483647);
    EXPECT_EQ(o.time, 120);
    EXPECT_EQ(o.price, 0);
    EXPECT_EQ(o.small, 2.812644285236322e-102);
    EXPECT_EQ(o.canselect, 1);
    EXPECT_EQ(o.backtrack, 3);
    EXPECT_EQ(o.varselect, 2);
    EXPECT_EQ(o.printlevel, 1);
    EXPECT_EQ(o.pause, 2147483647);
    EXPECT_EQ(o.scale, 3);
    EXPECT_EQ(o.scaletype, 1);
    EXPECT_EQ(o.pricetype, 2);
    EXPECT_EQ(o.deltait, 2147483647);
    EXPECT_EQ(o.lu, 2);
    EXPECT_EQ(o.auto_first, 0);
    EXPECT_EQ(o.refreshq, 0.9);
    EXPECT_EQ(o.readmemory, 2000);
    EXPECT_NE(host_missing_kind(o.iobjective), 0);
    EXPECT_NE(host_missing_kind(o.control), 0);
    EXPECT_EQ(host_missing_kind(o.pricephi), 0);
    // Keyword flags.
    EXPECT_EQ(o.devex, 1);
    EXPECT_EQ(o.sparsepricing, 1);
    EXPECT_EQ(o.pararestore, 1);
    EXPECT_EQ(o.flow, 0);
    EXPECT_EQ(o.preprocess, 0);
    EXPECT_EQ(o.sparsedata, 0);
    // Sampled indexes of the four node lists.
    for (const NodeList& list : ctx_->bb.lists) {
        EXPECT_EQ(list.index.fraction, 0.02);
        EXPECT_EQ(list.index.min_spacing, 10);
        EXPECT_EQ(list.index.initial_capacity, 10);
    }
    // Model and solver.
    EXPECT_EQ(ctx_->model.row_name_length, 8);
    EXPECT_EQ(ctx_->model.column_name_length, 8);
    EXPECT_EQ(ctx_->solver.counter, &ctx_->solver.iterations[0]);
    EXPECT_EQ(ctx_->solver.interactive, 1);
    EXPECT_EQ(ctx_->solver.run_status, 0);
    EXPECT_EQ(ctx_->bb.branch_column, -1);
    EXPECT_EQ(ctx_->entries.reader, run_steps().read_dense);
    EXPECT_NE(ctx_->handles.heap, nullptr);
}

TEST(CreateContext, FailsWithNineAndLeavesNothingWhenMemoryIsShort) {
    auto& host = minihost::install();
    host.memory_limit = 64;
    LpContext* ctx = nullptr;
    EXPECT_EQ(create_context(&ctx), kRunMemory);
    EXPECT_EQ(ctx, nullptr);
    EXPECT_EQ(host.live_blocks, 0);
}

}  // namespace
