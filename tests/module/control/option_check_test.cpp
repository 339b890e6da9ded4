// Option check of the LP and RESET statements on hand-made parse records.
#include <cfloat>
#include <cmath>

#include "control/option_check.h"
#include "control/option_slots.h"
#include "control/option_table.h"
#include "control_fixture.h"

namespace {

using spine_test::Record;
using namespace tymlp;

class OptionCheck : public spine_test::ContextTest {
  protected:
    int check(Record& r) { return check_options(ctx_, r.get()); }
    std::vector<std::string> bad() const { return texts_of(211); }
    bool noted(const std::string& text) const {
        for (const auto& n : host_->notes)
            if (n == text) return true;
        return false;
    }
};

TEST_F(OptionCheck, FiveBadOptionsGiveFiveMessagesInTableOrder) {
    Record r(kStmtLp);
    // Given out of table order on purpose: the messages follow the table.
    r.value(kSlotLu, 3).value(kSlotEpsilon, 0).value(kSlotPrice, 32767).value(kSlotCanselect, 7).value(kSlotDebug, 11);
    EXPECT_EQ(check(r), kRunSemantic);
    EXPECT_EQ(bad(), (std::vector<std::string>{"debug", "0<epsilon", "0<price", "0<canselect<7", "1<=lu<=2"}));
    // Rejected values leave the fields alone.
    EXPECT_EQ(ctx_->options.epsilon, 1e-8);
    EXPECT_EQ(ctx_->options.lu, 2);
    EXPECT_EQ(ctx_->options.canselect, kNodeLifo);
}

TEST_F(OptionCheck, ValidOptionsAreStoredAndReturnZero) {
    Record r(kStmtLp);
    r.value(kSlotEpsilon, 1e-7).value(kSlotCanselect, kNodePseudoc).value(kSlotScale, kScaleRows).value(kSlotLu, 1);
    EXPECT_EQ(check(r), 0);
    EXPECT_TRUE(bad().empty());
    EXPECT_EQ(ctx_->options.epsilon, 1e-7);
    EXPECT_EQ(ctx_->options.canselect, kNodePseudoc);
    EXPECT_EQ(ctx_->options.scale, kScaleRows);
    EXPECT_EQ(ctx_->options.lu, 1);
}

TEST_F(OptionCheck, IterationLimitsAcceptZeroAndMaxitSetsEveryLimit) {
    Record r(kStmtLp);
    r.value(kSlotMaxit1, 0).value(kSlotMaxit2, 0).value(kSlotMaxit3, 0);
    EXPECT_EQ(check(r), 0);
    EXPECT_EQ(ctx_->options.maxit1, 0);

    Record m(kStmtLp);
    m.value(kSlotMaxit, 0);
    EXPECT_EQ(check(m), 0);
    EXPECT_EQ(ctx_->options.maxit, 0);
    EXPECT_EQ(ctx_->options.maxit1, 0);
    EXPECT_EQ(ctx_->options.maxit2, 0);
    EXPECT_EQ(ctx_->options.maxit3, 0);
    EXPECT_EQ(ctx_->options.imaxit, 0);
    EXPECT_TRUE(bad().empty());
}

TEST_F(OptionCheck, ImaxitOfTheSameStatementReplacesTheMaxitCopy) {
    Record r(kStmtLp);
    r.value(kSlotMaxit, 500).value(kSlotImaxit, 7);
    EXPECT_EQ(check(r), 0);
    EXPECT_EQ(ctx_->options.maxit2, 500);
    EXPECT_EQ(ctx_->options.imaxit, 7);
}

TEST_F(OptionCheck, RejectedMaxitDoesNotTouchThePhaseLimits) {
    Record r(kStmtLp);
    r.value(kSlotMaxit, -1);
    EXPECT_EQ(check(r), kRunSemantic);
    EXPECT_EQ(bad(), std::vector<std::string>{"0<maxit"});
    EXPECT_EQ(ctx_->options.maxit1, 100);
    EXPECT_EQ(ctx_->options.maxit3, 99999999);
}

// The check is 0<time: a time limit of 0 is refused like a negative one.
// A value above the largest is also named as too large.
TEST_F(OptionCheck, TimeBoundaries) {
    for (double ok : {1e-3, 2147483647.0}) {
        Record r(kStmtLp);
        r.value(kSlotTime, ok);
        EXPECT_EQ(check(r), 0) << ok;
        EXPECT_EQ(ctx_->options.time, ok);
    }
    Record zero(kStmtLp);
    zero.value(kSlotTime, 0.0);
    EXPECT_EQ(check(zero), kRunSemantic);
    EXPECT_EQ(bad(), std::vector<std::string>{"0<time"});
    EXPECT_TRUE(texts_of(376).empty());

    Record over(kStmtLp);
    over.value(kSlotTime, 2147483648.0);
    EXPECT_EQ(check(over), kRunSemantic);
    EXPECT_EQ(bad(), (std::vector<std::string>{"0<time", "0<time"}));
    EXPECT_EQ(texts_of(376), std::vector<std::string>{"TIME"});
}

TEST_F(OptionCheck, PriceBoundariesAndNoWrapAround) {
    Record ok(kStmtLp);
    ok.value(kSlotPrice, 32766);
    EXPECT_EQ(check(ok), 0);
    EXPECT_EQ(ctx_->options.price, 32766);

    // 32767 fits the 16-bit field but is out of range; 65537 would wrap to 1
    // in a 16-bit conversion and must not be taken for a valid 1.
    for (double v : {32767.0, 65537.0, 1e12}) {
        Record r(kStmtLp);
        r.value(kSlotPrice, v);
        EXPECT_EQ(check(r), kRunSemantic) << v;
        EXPECT_EQ(ctx_->options.price, 32766) << v;
    }
    EXPECT_EQ(bad().size(), 3u);
}

TEST_F(OptionCheck, UMustLieAboveTheEpsilonOfTheSameStatement) {
    Record equal(kStmtLp);
    equal.value(kSlotU, 1e-8);
    EXPECT_EQ(check(equal), kRunSemantic);
    EXPECT_EQ(bad(), std::vector<std::string>{"epsilon<u<1"});

    Record with_eps(kStmtLp);
    with_eps.value(kSlotEpsilon, 0.2).value(kSlotU, 0.15);
    EXPECT_EQ(check(with_eps), kRunSemantic);
    EXPECT_EQ(ctx_->options.u, 0.1);

    Record above(kStmtLp);
    above.value(kSlotU, 0.25);
    EXPECT_EQ(check(above), 0);
    EXPECT_EQ(ctx_->options.u, 0.25);

    Record one(kStmtLp);
    one.value(kSlotU, 1.0);
    EXPECT_EQ(check(one), kRunSemantic);
}

TEST_F(OptionCheck, BepsilonNoteIsWrittenForValidAndInvalidValues) {
    const std::string note = "NOTE: BEPSILON= is an experimental option.";
    Record ok(kStmtLp);
    ok.value(kSlotBepsilon, 1e-6);
    EXPECT_EQ(check(ok), 0);
    EXPECT_EQ(ctx_->options.bepsilon, 1e-6);
    EXPECT_TRUE(noted(note));

    host_->notes.clear();
    Record over(kStmtLp);
    over.value(kSlotBepsilon, 1.1e-6);
    EXPECT_EQ(check(over), kRunSemantic);
    EXPECT_EQ(bad(), std::vector<std::string>{"0<bepsilon<=1.0e-6"});
    EXPECT_TRUE(noted(note));
    EXPECT_EQ(ctx_->options.bepsilon, 1e-6);

    host_->notes.clear();
    Record zero(kStmtLp);
    zero.value(kSlotBepsilon, 0);
    EXPECT_EQ(check(zero), kRunSemantic);
    EXPECT_FALSE(noted(note));
}

TEST_F(OptionCheck, AutoValuesNeedTheirFlagAndTheFirstIsLowered) {
    Record r(kStmtLp);
    r.flag(kBitAuto).value(kSlotAuto, 300).value(kSlotAutoSecond, 200);
    EXPECT_EQ(check(r), 0);
    EXPECT_EQ(ctx_->options.auto_select, 1);
    EXPECT_EQ(ctx_->options.auto_first, 200);
    EXPECT_EQ(ctx_->options.auto_second, 200);

    Record no_flag(kStmtLp);
    no_flag.value(kSlotAuto, 5).value(kSlotAutoSecond, 6);
    EXPECT_EQ(check(no_flag), 0);
    EXPECT_EQ(ctx_->options.auto_first, 200);

    Record bad_second(kStmtLp);
    bad_second.flag(kBitAuto).value(kSlotAuto, 5).value(kSlotAutoSecond, 0);
    EXPECT_EQ(check(bad_second), kRunSemantic);
    EXPECT_EQ(bad(), std::vector<std::string>{"auto(>0,>0)"});
    EXPECT_EQ(ctx_->options.auto_first, 200);
}

TEST_F(OptionCheck, ProcessingValuesNeedTheirFlags) {
    Record without(kStmtLp);
    without.value(kSlotPreprocess, 5);  // out of range, but not read without the flag
    EXPECT_EQ(check(without), 0);
    EXPECT_EQ(ctx_->options.preprocess, 0);

    Record with(kStmtLp);
    with.flag(kBitPreprocess).value(kSlotPreprocess, 0).flag(kBitPostprocess).value(kSlotPostprocess, 2);
    EXPECT_EQ(check(with), kRunSemantic);
    EXPECT_EQ(ctx_->options.preprocess, 0);   // the flag set it, the value 0 cleared it
    EXPECT_EQ(ctx_->options.postprocess, 1);  // flag on, bad value ignored
    EXPECT_EQ(bad(), std::vector<std::string>{"0<=postprocess<=1"});
}

TEST_F(OptionCheck, CutoffOptionsAlwaysIssueMessage15) {
    Record r(kStmtLp);
    r.value(kSlotIobjective, 10).value(kSlotDobjective, -1).value(kSlotPobjective, 0.5);
    EXPECT_EQ(check(r), kRunSemantic);
    EXPECT_EQ(texts_of(15), (std::vector<std::string>{"IOBJECTIVE=", "DOBJECTIVE=", "POBJECTIVE="}));
    EXPECT_EQ(bad(), std::vector<std::string>{"0<=dobjective"});
    EXPECT_EQ(ctx_->options.iobjective, 10);
    EXPECT_NE(host_missing_kind(ctx_->options.dobjective), 0);
}

TEST_F(OptionCheck, SampledIndexParametersReachAllFourLists) {
    Record r(kStmtLp);
    r.value(kSlotCpercent, 0.5).value(kSlotClength, 7).value(kSlotCsize, 0);
    EXPECT_EQ(check(r), kRunSemantic);
    for (const NodeList& list : ctx_->bb.lists) {
        EXPECT_EQ(list.index.fraction, 0.5);
        EXPECT_EQ(list.index.min_spacing, 7);
        EXPECT_EQ(list.index.initial_capacity, 10);  // CSIZE=0 was rejected
    }
}

TEST_F(OptionCheck, TreetypeOnlyWhileTheNodeStoreIsClosed) {
    Record r(kStmtLp);
    r.value(kSlotTreetype, 2);
    EXPECT_EQ(check(r), 0);
    EXPECT_EQ(ctx_->options.treetype, 2);
    EXPECT_EQ(ctx_->options.node_coder_type, 3);

    ctx_->model.node_file = host_util_open();
    Record later(kStmtReset);
    later.value(kSlotTreetype, 9);  // neither checked nor used
    EXPECT_EQ(check(later), 0);
    EXPECT_TRUE(bad().empty());
    EXPECT_EQ(ctx_->options.treetype, 2);
}

TEST_F(OptionCheck, KeywordFlagsAndTheClearingKeywordWins) {
    Record r(kStmtLp);
    r.flag(kBitNoDevex)
        .flag(kBitFlow)
        .flag(kBitNoPrint)
        .flag(kBitSparsedata)
        .flag(kBitGoalprogram)
        .flag(kBitRangerhs)
        .flag(kBitNoRangerhs)
        .flag(kBitBlandsrule)
        .flag(kBitNoPararestore);
    EXPECT_EQ(check(r), 0);
    const LpOptions& o = ctx_->options;
    EXPECT_EQ(o.devex, 0);
    EXPECT_EQ(o.flow, 1);
    EXPECT_EQ(o.printlevel, 0);
    EXPECT_EQ(o.sparsedata, 1);
    EXPECT_EQ(o.goalprogram, 1);
    EXPECT_EQ(o.rangerhs, 0);
    EXPECT_EQ(o.blandsrule, 1);
    EXPECT_EQ(o.pararestore, 0);

    ctx_->options.blandsrule_in_use = 1;
    Record off(kStmtReset);
    off.flag(kBitNoBlandsrule);
    check(off);
    EXPECT_EQ(o.blandsrule, 0);
    EXPECT_EQ(o.blandsrule_in_use, 0);
}

TEST_F(OptionCheck, PrintlevelValueOverridesThePrintFlag) {
    Record r(kStmtLp);
    r.flag(kBitPrint).value(kSlotPrintlevel, -2);
    EXPECT_EQ(check(r), 0);
    EXPECT_EQ(ctx_->options.printlevel, -2);
}

TEST_F(OptionCheck, LargeInvtolWarnsAboutBothTolerances) {
    Record r(kStmtLp);
    r.value(kSlotInvtol, 1e9);  // 1e9 * 1.11e-16 = 1.1e-7 > EPSILON and > REPSILON
    EXPECT_EQ(check(r), 0);
    EXPECT_EQ(texts_of(227), (std::vector<std::string>{"EPSILON", "REPSILON"}));

    host_->messages.clear();
    Record mid(kStmtLp);
    mid.value(kSlotInvtol, 1e7);  // 1.1e-9: only above REPSILON
    check(mid);
    EXPECT_EQ(texts_of(227), std::vector<std::string>{"REPSILON"});
}

TEST_F(OptionCheck, QueuePricingRulesGetTenSlots) {
    Record r(kStmtLp);  // default PRICETYPE is the partial rule
    EXPECT_EQ(check(r), 0);
    EXPECT_EQ(ctx_->options.price, 10);

    ctx_->options.price = 0;
    Record full(kStmtLp);
    full.value(kSlotPricetype, kPriceFull);
    check(full);
    EXPECT_EQ(ctx_->options.price, 0);
}

TEST_F(OptionCheck, PricetypeFiveIsRefused) {
    Record r(kStmtLp);
    r.value(kSlotPricetype, 5);
    EXPECT_EQ(check(r), kRunSemantic);
    EXPECT_EQ(bad(), std::vector<std::string>{"pricetype"});
    EXPECT_EQ(ctx_->options.pricetype, kPricePartial);

    Record four(kStmtLp);
    four.value(kSlotPricetype, 4);
    EXPECT_EQ(check(four), 0);
    EXPECT_EQ(ctx_->options.pricetype, kPriceLowestIndex);
}

TEST_F(OptionCheck, IntegerOptionsAreTruncatedBeforeTheRangeTest) {
    Record r(kStmtLp);
    r.value(kSlotCanselect, 6.9).value(kSlotPrintlevel, -2.5).value(kSlotInvfreq, 0.5);
    EXPECT_EQ(check(r), kRunSemantic);
    EXPECT_EQ(ctx_->options.canselect, 6);
    EXPECT_EQ(ctx_->options.printlevel, -2);
    EXPECT_EQ(bad(), std::vector<std::string>{"0<invfreq"});
}

TEST_F(OptionCheck, NotANumberIsNeverValid) {
    Record r(kStmtLp);
    r.value(kSlotEpsilon, std::nan("")).value(kSlotMaxit1, std::nan(""));
    EXPECT_EQ(check(r), kRunSemantic);
    EXPECT_EQ(bad(), (std::vector<std::string>{"0<epsilon", "0<=maxit1"}));
}

TEST_F(OptionCheck, DoubleRangesKeepTheirOpenAndClosedEnds) {
    struct Case {
        int slot;
        double value;
        bool valid;
    };
    const Case cases[] = {
        {kSlotEpsilon, DBL_MAX, true},
        {kSlotSparse, DBL_MAX, false},
        {kSlotRefreshq, 0, true},
        {kSlotRefreshq, 1, true},
        {kSlotQuratio, 1, false},
        {kSlotPhasemix, 1, true},
        {kSlotPobjective, DBL_MAX, true},
        {kSlotDobjective, DBL_MAX, false},
        {kSlotIobjective, -DBL_MAX, false},
        {kSlotIobjective, -1e300, true},
        {kSlotControl, 0, true},
        {kSlotCpercent, 1, false},
        {kSlotProximitypause, 0, true},
        {kSlotIpause, 2147483647, false},
        {kSlotDeltait, 2147483646, true},
        {kSlotPenaltyDepth, 2147483647, true},
    };
    for (const Case& c : cases) {
        Record r(kStmtLp);
        r.value(c.slot, c.value);
        EXPECT_EQ(check(r), c.valid ? 0 : kRunSemantic) << "slot " << c.slot << " value " << c.value;
    }
}

}  // namespace
