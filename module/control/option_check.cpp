// option_check.cpp -- the option check of the LP and RESET statements.
#include "control/option_check.h"

#include <cmath>
#include <cstring>

#include "base/host_link.h"
#include "base/numeric.h"
#include "control/option_slots.h"
#include "control/option_table.h"
#include "control/run_steps.h"

namespace tymlp {
namespace {

// Message numbers of the check.
constexpr int kMsgObjectiveNote = 15;
constexpr int kMsgBadOption = 211;
constexpr int kMsgOptionTooLarge = 376;  // option, value, largest
constexpr int kMsgInvtolTooLarge = 227;

// The queue size the queue pricing rules take when PRICE was not given.
constexpr int16_t kDefaultQueueSize = 10;

// Node-store coder of each TREETYPE value.
constexpr int16_t kCoderOfTreetype[] = {0, 1, 3, 5};

const char* const kExperimentalNote = "%3zBEPSILON= is an experimental option.";

// A keyword-only option: the bit that sets it and the bit that clears it
// (-1 when it cannot be cleared).  When a statement gives both, the
// clearing keyword wins: the safer reading of a contradictory statement.
struct FlagPair {
    int set_bit;
    int clear_bit;
    void (*apply)(LpContext* ctx, int on);
};

void set_devex(LpContext* c, int on) { c->options.devex = static_cast<int16_t>(on); }
void set_endpause(LpContext* c, int on) { c->options.endpause = static_cast<int16_t>(on); }
void set_flow(LpContext* c, int on) { c->options.flow = static_cast<int16_t>(on); }
void set_print(LpContext* c, int on) { c->options.printlevel = static_cast<int16_t>(on); }
void set_paraprint(LpContext* c, int on) { c->options.paraprint = static_cast<int16_t>(on); }
void set_pararestore(LpContext* c, int on) { c->options.pararestore = static_cast<int16_t>(on); }
void set_tableauprint(LpContext* c, int on) { c->options.tableauprint = static_cast<int16_t>(on); }
void set_feasiblepause(LpContext* c, int on) { c->options.feasiblepause = static_cast<int16_t>(on); }
void set_sparsedata(LpContext* c, int on) {
    c->options.sparsedata = static_cast<int16_t>(on);
    c->entries.reader = run_steps().read_sparse;
}
void set_rangeprice(LpContext* c, int on) { c->options.rangeprice = static_cast<int16_t>(on); }
void set_rangerhs(LpContext* c, int on) { c->options.rangerhs = static_cast<int16_t>(on); }
void set_goalprogram(LpContext* c, int on) { c->options.goalprogram = static_cast<int16_t>(on); }
void set_readpause(LpContext* c, int on) { c->options.readpause = static_cast<int16_t>(on); }
void set_binfst(LpContext* c, int on) { c->options.binfst = static_cast<int16_t>(on); }
void set_postprocess(LpContext* c, int on) { c->options.postprocess = static_cast<int16_t>(on); }
void set_auto(LpContext* c, int on) { c->options.auto_select = static_cast<int16_t>(on); }
void set_preprocess(LpContext* c, int on) { c->options.preprocess = static_cast<int16_t>(on); }
void set_sparsepricing(LpContext* c, int on) { c->options.sparsepricing = static_cast<uint8_t>(on); }
void set_blandsrule(LpContext* c, int on) {
    c->options.blandsrule = static_cast<uint8_t>(on);
    if (on == 0) c->options.blandsrule_in_use = 0;
}

// The order in which the flags are applied.
const FlagPair kFlagPairs[] = {
    {kBitDevex, kBitNoDevex, set_devex},
    {kBitEndpause, kBitNoEndpause, set_endpause},
    {kBitFlow, kBitNoFlow, set_flow},
    {kBitPrint, kBitNoPrint, set_print},
    {kBitParaprint, kBitNoParaprint, set_paraprint},
    {kBitPararestore, kBitNoPararestore, set_pararestore},
    {kBitTableauprint, kBitNoTableauprint, set_tableauprint},
    {kBitFeasiblepause, kBitNoFeasiblepause, set_feasiblepause},
    {kBitSparsedata, -1, set_sparsedata},
    {kBitRangeprice, kBitNoRangeprice, set_rangeprice},
    {kBitRangerhs, kBitNoRangerhs, set_rangerhs},
    {kBitGoalprogram, -1, set_goalprogram},
    {kBitReadpause, -1, set_readpause},
    {kBitBinfst, kBitNoBinfst, set_binfst},
    {kBitPostprocess, kBitNoPostprocess, set_postprocess},
    {kBitAuto, kBitNoAuto, set_auto},
    {kBitPreprocess, kBitNoPreprocess, set_preprocess},
    {kBitSparsepricing, kBitNoSparsepricing, set_sparsepricing},
    {kBitBlandsrule, kBitNoBlandsrule, set_blandsrule},
};

// The check text of a bad value; a value above the largest the option
// takes is also named as too large, since a check text such as
// "0<=maxit1" alone reads as if it were too small.
void bad_option(const OptionSpec& entry, double value) {
    const TymArg arg = arg_text(entry.check_text, static_cast<int>(std::strlen(entry.check_text)));
    host_message(kMsgBadOption, 1, &arg);
    const bool too_large = !std::isnan(value) && (entry.hi_open ? value >= entry.hi : value > entry.hi);
    if (!too_large) return;
    const TymArg args[] = {arg_text(entry.name, static_cast<int>(std::strlen(entry.name))), arg_double(value),
                           arg_double(entry.hi)};
    host_message(kMsgOptionTooLarge, 3, args);
}

void text_message(int number, const char* text) {
    const TymArg arg = arg_text(text, static_cast<int>(std::strlen(text)));
    host_message(number, 1, &arg);
}

void copy_to_sampled_indexes(LpContext* ctx, const OptionSpec& entry, double value) {
    for (NodeList& list : ctx->bb.lists) {
        SampledIndex& index = list.index;
        if (entry.slot == kSlotCpercent)
            index.fraction = value;
        else if (entry.slot == kSlotClength)
            index.min_spacing = static_cast<int32_t>(option_to_integer(value));
        else if (entry.slot == kSlotCsize)
            index.initial_capacity = static_cast<int32_t>(option_to_integer(value));
    }
}

void propagate_maxit(LpOptions& o) {
    o.maxit1 = o.maxit;
    o.maxit2 = o.maxit;
    o.maxit3 = o.maxit;
    o.imaxit = o.maxit;
}

// AUTO=(a, b): both values in range, a lowered to b.  Returns false when
// either value is out of range (nothing is stored then).
bool check_pair(LpContext* ctx, const OptionSpec& entry, const TymParseRecord* rec) {
    const double a = rec->values[entry.slot].value;
    const double b = rec->values[entry.slot + 1].value;
    if (!option_in_range(entry, a, ctx->options.epsilon) || !option_in_range(entry, b, ctx->options.epsilon))
        return false;
    const int64_t first = option_to_integer(a);
    const int64_t second = option_to_integer(b);
    option_set(ctx->options, entry, entry.field, static_cast<double>(first > second ? second : first));
    option_set(ctx->options, entry, entry.field2, static_cast<double>(second));
    return true;
}

// Checks one valued option the record gives.  Returns false when it failed.
bool check_one(LpContext* ctx, const OptionSpec& entry, const TymParseRecord* rec) {
    const double value = rec->values[entry.slot].value;
    bool ok;
    if ((entry.rules & kRulePair) != 0) {
        ok = check_pair(ctx, entry, rec);
    } else {
        ok = option_in_range(entry, value, ctx->options.epsilon);
        if (ok) option_set(ctx->options, entry, entry.field, value);
    }
    if (!ok) {
        const double b = (entry.rules & kRulePair) != 0 ? rec->values[entry.slot + 1].value : value;
        const bool a_fits = option_in_range(entry, value, ctx->options.epsilon);
        bad_option(entry, a_fits ? b : value);
    }

    if ((entry.rules & kRuleObjectiveNote) != 0) text_message(kMsgObjectiveNote, entry.note_text);
    if ((entry.rules & kRuleExperimentalNote) != 0 && value > 0) host_note(kExperimentalNote);
    if (ok && (entry.rules & kRulePropagateMaxit) != 0) propagate_maxit(ctx->options);
    if (ok && (entry.rules & kRuleSampledIndex) != 0) copy_to_sampled_indexes(ctx, entry, value);
    if (ok && entry.slot == kSlotTreetype) ctx->options.node_coder_type = kCoderOfTreetype[ctx->options.treetype];
    return ok;
}

bool given(const TymParseRecord* rec, const OptionSpec& entry) {
    if (rec->values[entry.slot].given == 0) return false;
    if ((entry.rules & kRulePair) != 0 && rec->values[entry.slot + 1].given == 0) return false;
    return true;
}

// The closing checks: a factor growth limit that swallows the tolerances.
void check_invtol(LpContext* ctx) {
    const LpOptions& o = ctx->options;
    const double growth_error = o.invtol * kUnitRoundoff;
    if (growth_error > o.epsilon) text_message(kMsgInvtolTooLarge, "EPSILON");
    if (growth_error > o.repsilon) text_message(kMsgInvtolTooLarge, "REPSILON");
}

}  // namespace

void apply_option_flags(LpContext* ctx, const TymParseRecord* rec) {
    for (const FlagPair& pair : kFlagPairs) {
        if (tym_flag(rec, pair.set_bit) != 0) pair.apply(ctx, 1);
        if (pair.clear_bit >= 0 && tym_flag(rec, pair.clear_bit) != 0) pair.apply(ctx, 0);
    }
}

int check_options(LpContext* ctx, const TymParseRecord* rec) {
    apply_option_flags(ctx, rec);

    bool failed = false;
    const OptionSpec* table = option_table();
    for (int i = 0; i < option_table_size(); ++i) {
        const OptionSpec& entry = table[i];
        if (!given(rec, entry)) continue;
        if ((entry.rules & kRuleGated) != 0 && tym_flag(rec, entry.gate_bit) == 0) continue;
        if ((entry.rules & kRuleNodeStoreClosed) != 0 && ctx->model.node_file != nullptr) continue;
        if (!check_one(ctx, entry, rec)) failed = true;
    }

    check_invtol(ctx);
    LpOptions& o = ctx->options;
    if (o.price == 0 && o.pricetype >= kPriceQueueFollow && o.pricetype <= kPriceDynamic) o.price = kDefaultQueueSize;
    return failed ? kRunSemantic : 0;
}

}  // namespace tymlp
