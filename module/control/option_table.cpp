// option_table.cpp -- every valued option with its range, check text and
// default.
#include "control/option_table.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "base/ctx_options.h"
#include "base/host_link.h"
#include "base/numeric.h"

namespace tymlp {
namespace {

constexpr double kMacBig = DBL_MAX;  // the largest double
constexpr double kInt32Max = kInt32MaxAsDouble;
constexpr double kInt32Below = 2147483646.0;  // "below 2^31 - 1": 2^31 - 1 stays "not given"
constexpr double kInt16Below = 32766.0;
constexpr int8_t kNoGate = -1;

constexpr OptionType I16 = OptionType::Int16;
constexpr OptionType I32 = OptionType::Int32;
constexpr OptionType DBL = OptionType::Double;
constexpr bool OPEN = true;
constexpr bool CLOSED = false;

#define F(name) offsetof(LpOptions, name)

// Columns: name, slot, type, field, field2, lo, lo_open, hi, hi_open, check text,
// default kind, default, rules, gate bit, note text.
const OptionSpec kTable[] = {
    {"PENALTYDEPTH", kSlotPenaltyDepth, I32, F(penaltydepth), 0, 1, CLOSED, kInt32Max, CLOSED, "1<=penaltydepth",
     DefaultKind::Value, 0, kRuleSentinelDefault, kNoGate, nullptr},
    {"DEBUG", kSlotDebug, I16, F(debug), 0, 1, CLOSED, 10, CLOSED, "debug", DefaultKind::Value, 0, kRuleSentinelDefault,
     kNoGate, nullptr},
    {"EPSILON", kSlotEpsilon, DBL, F(epsilon), 0, 0, OPEN, kMacBig, CLOSED, "0<epsilon", DefaultKind::Value, 1e-8,
     kRuleNone, kNoGate, nullptr},
    {"REPSILON", kSlotRepsilon, DBL, F(repsilon), 0, 0, OPEN, kMacBig, CLOSED, "0<repsilon", DefaultKind::Value, 1e-10,
     kRuleNone, kNoGate, nullptr},
    {"INFINITY", kSlotInfinity, DBL, F(infinity), 0, 0, OPEN, kMacBig, CLOSED, "0<infinity",
     DefaultKind::GenericInfinity, 0, kRuleNone, kNoGate, nullptr},
    {"MAXIT1", kSlotMaxit1, I32, F(maxit1), 0, 0, CLOSED, kInt32Max, CLOSED, "0<=maxit1", DefaultKind::Value, 100,
     kRuleNone, kNoGate, nullptr},
    {"MAXIT2", kSlotMaxit2, I32, F(maxit2), 0, 0, CLOSED, kInt32Max, CLOSED, "0<=maxit2", DefaultKind::Value, 100,
     kRuleNone, kNoGate, nullptr},
    {"MAXIT3", kSlotMaxit3, I32, F(maxit3), 0, 0, CLOSED, kInt32Max, CLOSED, "0<=maxit3", DefaultKind::Value, 99999999,
     kRuleNone, kNoGate, nullptr},
    {"INVFREQ", kSlotInvfreq, I32, F(invfreq), 0, 1, CLOSED, kInt32Max, CLOSED, "0<invfreq", DefaultKind::Value, 100,
     kRuleNone, kNoGate, nullptr},
    {"MAXIT", kSlotMaxit, I32, F(maxit), 0, 0, CLOSED, kInt32Max, CLOSED, "0<maxit", DefaultKind::Value, kInt32Max,
     kRulePropagateMaxit, kNoGate, nullptr},
    {"TIME", kSlotTime, DBL, F(time), 0, 0, OPEN, kInt32Max, CLOSED, "0<time", DefaultKind::Value, 120, kRuleNone,
     kNoGate, nullptr},
    {"PRICE", kSlotPrice, I16, F(price), 0, 1, CLOSED, kInt16Below, CLOSED, "0<price", DefaultKind::Value, 0,
     kRuleSentinelDefault, kNoGate, nullptr},
    {"SPARSE", kSlotSparse, DBL, F(sparse), 0, 0, OPEN, kMacBig, OPEN, "0<sparse", DefaultKind::Value, 3.0, kRuleNone,
     kNoGate, nullptr},
    {"FUZZ", kSlotFuzz, DBL, F(fuzz), 0, 0, OPEN, kMacBig, OPEN, "0<fuzz", DefaultKind::Value, 1e-10, kRuleNone,
     kNoGate, nullptr},
    {"SMALL", kSlotSmall, DBL, F(small), 0, 0, OPEN, kMacBig, OPEN, "0<small", DefaultKind::Value,
     2.812644285236322e-102, kRuleNone, kNoGate, nullptr},
    {"U", kSlotU, DBL, F(u), 0, 0, OPEN, 1, OPEN, "epsilon<u<1", DefaultKind::Value, 0.1, kRuleAboveEpsilon, kNoGate,
     nullptr},
    {"INVTOL", kSlotInvtol, DBL, F(invtol), 0, 0, OPEN, kMacBig, OPEN, "0<invtol", DefaultKind::Value, 1000, kRuleNone,
     kNoGate, nullptr},
    {"CANSELECT", kSlotCanselect, I16, F(canselect), 0, 1, CLOSED, 6, CLOSED, "0<canselect<7", DefaultKind::Value,
     kNodeLifo, kRuleNone, kNoGate, nullptr},
    {"BACKTRACK", kSlotBacktrack, I16, F(backtrack), 0, 1, CLOSED, 6, CLOSED, "0<backtrack<7", DefaultKind::Value,
     kNodeObj, kRuleNone, kNoGate, nullptr},
    {"VARSELECT", kSlotVarselect, I16, F(varselect), 0, 1, CLOSED, 8, CLOSED, "0<varselect<9", DefaultKind::Value,
     kVarFar, kRuleNone, kNoGate, nullptr},
    {"IMAXIT", kSlotImaxit, I32, F(imaxit), 0, 1, CLOSED, kInt32Below, CLOSED, "0<imaxit", DefaultKind::Value, 100,
     kRuleNone, kNoGate, nullptr},
    {"PRINTLEVEL", kSlotPrintlevel, I16, F(printlevel), 0, -2, CLOSED, 1, CLOSED, "-2<=printlevel<=1",
     DefaultKind::Value, 1, kRuleNone, kNoGate, nullptr},
    {"IOBJECTIVE", kSlotIobjective, DBL, F(iobjective), 0, -kMacBig, OPEN, kMacBig, OPEN, "-MACBIG<iobjective",
     DefaultKind::Missing, 0, kRuleSentinelDefault | kRuleObjectiveNote, kNoGate, "IOBJECTIVE="},
    {"DOBJECTIVE", kSlotDobjective, DBL, F(dobjective), 0, 0, CLOSED, kMacBig, OPEN, "0<=dobjective",
     DefaultKind::Missing, 0, kRuleSentinelDefault | kRuleObjectiveNote, kNoGate, "DOBJECTIVE="},
    {"POBJECTIVE", kSlotPobjective, DBL, F(pobjective), 0, 0, CLOSED, kMacBig, CLOSED, "0<=pobjective",
     DefaultKind::Missing, 0, kRuleSentinelDefault | kRuleObjectiveNote, kNoGate, "POBJECTIVE="},
    {"WOBJECTIVE", kSlotWobjective, DBL, F(wobjective), 0, -kMacBig, OPEN, kMacBig, OPEN, "-MACBIG<wobjective",
     DefaultKind::Missing, 0, kRuleSentinelDefault, kNoGate, nullptr},
    {"PAUSE", kSlotPause, I32, F(pause), 0, 1, CLOSED, kInt32Below, CLOSED, "0<pause", DefaultKind::Value, kInt32Max,
     kRuleSentinelDefault, kNoGate, nullptr},
    {"IPAUSE", kSlotIpause, I32, F(ipause), 0, 1, CLOSED, kInt32Below, CLOSED, "0<ipause", DefaultKind::Value, 99999999,
     kRuleNone, kNoGate, nullptr},
    {"IFEASIBLEPAUSE", kSlotIfeasiblepause, I32, F(ifeasiblepause), 0, 1, CLOSED, kInt32Below, CLOSED,
     "0<ifeasiblepause", DefaultKind::Value, 99999999, kRuleNone, kNoGate, nullptr},
    {"PRICEPHI", kSlotPricephi, DBL, F(pricephi), 0, -kMacBig, OPEN, kMacBig, OPEN, " ", DefaultKind::Value, 0,
     kRuleNone, kNoGate, nullptr},
    {"RHSPHI", kSlotRhsphi, DBL, F(rhsphi), 0, -kMacBig, OPEN, kMacBig, OPEN, " ", DefaultKind::Value, 0, kRuleNone,
     kNoGate, nullptr},
    {"SCALE", kSlotScale, I16, F(scale), 0, kScaleNone, CLOSED, kScaleBoth, CLOSED, "scale", DefaultKind::Value,
     kScaleBoth, kRuleNone, kNoGate, nullptr},
    {"SCALETYPE", kSlotScaletype, I16, F(scaletype), 0, kScaleEquilibrium, CLOSED, kScaleGeometric, CLOSED, "scaletype",
     DefaultKind::Value, kScaleGeometric, kRuleNone, kNoGate, nullptr},
    // PRICETYPE=5 names no pricing rule, so it is refused here rather than
    // leaving the run without one.
    {"PRICETYPE", kSlotPricetype, I16, F(pricetype), 0, kPriceFull, CLOSED, kPriceLowestIndex, CLOSED, "pricetype",
     DefaultKind::Value, kPricePartial, kRuleNone, kNoGate, nullptr},
    {"PRINTFREQ", kSlotPrintfreq, I32, F(printfreq), 0, 1, CLOSED, kInt32Max, CLOSED, "1<=printfreq",
     DefaultKind::Value, 1, kRuleNone, kNoGate, nullptr},
    {"IEPSILON", kSlotIepsilon, DBL, F(iepsilon), 0, 0, OPEN, kMacBig, OPEN, "0<iepsilon", DefaultKind::Value, 1e-7,
     kRuleNone, kNoGate, nullptr},
    {"WORKMEMORY", kSlotWorkmemory, I32, F(workmemory), 0, 1, CLOSED, kInt32Below, CLOSED, "0<workmemory",
     DefaultKind::Value, 0, kRuleSentinelDefault, kNoGate, nullptr},
    {"PERFORMANCE", kSlotPerformance, I16, F(performance), 0, 0, CLOSED, 2, CLOSED, "0<=performance<=2",
     DefaultKind::Value, 0, kRuleNone, kNoGate, nullptr},
    {"READMEMORY", kSlotReadmemory, I32, F(readmemory), 0, 1, CLOSED, kInt32Below, CLOSED, "0<readmemory",
     DefaultKind::Value, 2000, kRuleNone, kNoGate, nullptr},
    {"REFRESHQ", kSlotRefreshq, DBL, F(refreshq), 0, 0, CLOSED, 1, CLOSED, "0<=refreshq", DefaultKind::Value, 0.9,
     kRuleNone, kNoGate, nullptr},
    {"QCHECKSIZE", kSlotQchecksize, DBL, F(qchecksize), 0, 0, OPEN, kMacBig, OPEN, "0<qchecksize", DefaultKind::Value,
     3.0, kRuleNone, kNoGate, nullptr},
    {"QEPSILON", kSlotQepsilon, DBL, F(qepsilon), 0, 0, OPEN, kMacBig, OPEN, "0<qepsilon", DefaultKind::Value, 1e-8,
     kRuleNone, kNoGate, nullptr},
    {"QURATIO", kSlotQuratio, DBL, F(quratio), 0, 0, OPEN, 1, OPEN, "0<quratio<1", DefaultKind::Value, 0.15, kRuleNone,
     kNoGate, nullptr},
    {"QLRATIO", kSlotQlratio, DBL, F(qlratio), 0, 0, OPEN, 1, OPEN, "0<qlratio<1", DefaultKind::Value, 0.1, kRuleNone,
     kNoGate, nullptr},
    {"PHASEMIX", kSlotPhasemix, DBL, F(phasemix), 0, 0, CLOSED, 1, CLOSED, "0<=phasemix<=1.0", DefaultKind::Value, 0,
     kRuleNone, kNoGate, nullptr},
    {"DELTAIT", kSlotDeltait, I32, F(deltait), 0, 1, CLOSED, kInt32Below, CLOSED, "1<=deltait", DefaultKind::Value,
     kInt32Max, kRuleSentinelDefault, kNoGate, nullptr},
    {"PWOBJECTIVE", kSlotPwobjective, DBL, F(pwobjective), 0, 0, CLOSED, 1, CLOSED, "0<=pwobjective<=1",
     DefaultKind::Value, 0.95, kRuleNone, kNoGate, nullptr},
    {"PROXIMITYPAUSE", kSlotProximitypause, DBL, F(proximitypause), 0, 0, CLOSED, kMacBig, OPEN, "0<=proximitypause",
     DefaultKind::Value, 0, kRuleNone, kNoGate, nullptr},
    {"LIFOTYPE", kSlotLifotype, I32, F(lifotype), 0, 0, CLOSED, 3, CLOSED, "0<=lifotype<=3", DefaultKind::Value, 0,
     kRuleNone, kNoGate, nullptr},
    {"BEPSILON", kSlotBepsilon, DBL, F(bepsilon), 0, 0, OPEN, 1.0e-6, CLOSED, "0<bepsilon<=1.0e-6",
     DefaultKind::Bepsilon, 0, kRuleExperimentalNote, kNoGate, nullptr},
    {"RANDOMPRICEMULT", kSlotRandompricemult, DBL, F(randompricemult), 0, 0, CLOSED, kMacBig, CLOSED,
     "0<=randompricemult", DefaultKind::Value, 0.01, kRuleNone, kNoGate, nullptr},
    {"TREETYPE", kSlotTreetype, I32, F(treetype), 0, 0, CLOSED, 3, CLOSED, "0<=treetype<=3", DefaultKind::Value, 0,
     kRuleNodeStoreClosed, kNoGate, nullptr},
    {"PEPSILON", kSlotPepsilon, DBL, F(pepsilon), 0, 0, OPEN, kMacBig, CLOSED, "0<pepsilon", DefaultKind::Value, 1e-8,
     kRuleNone, kNoGate, nullptr},
    {"PMAXIT", kSlotPmaxit, I32, F(pmaxit), 0, 1, CLOSED, kInt32Max, CLOSED, "1<=pmaxit", DefaultKind::Value, 100,
     kRuleNone, kNoGate, nullptr},
    {"CPERCENT", kSlotCpercent, DBL, F(cpercent), 0, 0, OPEN, 1, OPEN, "0<cpercent<1", DefaultKind::Value, 0.02,
     kRuleSampledIndex, kNoGate, nullptr},
    {"CLENGTH", kSlotClength, I32, F(clength), 0, 1, CLOSED, kInt32Below, CLOSED, "1<=clength", DefaultKind::Value, 10,
     kRuleSampledIndex, kNoGate, nullptr},
    {"CSIZE", kSlotCsize, I32, F(csize), 0, 1, CLOSED, kInt32Below, CLOSED, "1<=csize", DefaultKind::Value, 10,
     kRuleSampledIndex, kNoGate, nullptr},
    {"PREPROCESS", kSlotPreprocess, I16, F(preprocess), 0, 0, CLOSED, 1, CLOSED, "0<=preprocess<=1", DefaultKind::Value,
     0, kRuleGated, kBitPreprocess, nullptr},
    {"POSTPROCESS", kSlotPostprocess, I16, F(postprocess), 0, 0, CLOSED, 1, CLOSED, "0<=postprocess<=1",
     DefaultKind::Value, 0, kRuleGated, kBitPostprocess, nullptr},
    {"AUTO", kSlotAuto, I32, F(auto_first), F(auto_second), 1, CLOSED, kInt32Below, CLOSED, "auto(>0,>0)",
     DefaultKind::Value, 0, kRuleSentinelDefault | kRuleGated | kRulePair, kBitAuto, nullptr},
    {"CONTROL", kSlotControl, DBL, F(control), 0, 0, CLOSED, 1, CLOSED, "0<=control<=1", DefaultKind::Missing, 0,
     kRuleSentinelDefault, kNoGate, nullptr},
    {"LU", kSlotLu, I32, F(lu), 0, 1, CLOSED, 2, CLOSED, "1<=lu<=2", DefaultKind::Value, 2, kRuleNone, kNoGate,
     nullptr},
    {"ALGORITHM", kSlotAlgorithm, I16, F(algorithm), 0, kAlgorithmPrimal, CLOSED, kAlgorithmAuto, CLOSED,
     "0<=algorithm<=2", DefaultKind::Value, kAlgorithmPrimal, kRuleNone, kNoGate, nullptr},
    {"HEURISTICS", kSlotHeuristics, I32, F(heuristics), 0, 0, CLOSED, 2, CLOSED, "0<=heuristics<=2", DefaultKind::Value,
     0, kRuleNone, kNoGate, nullptr},
    {"DIVEFREQ", kSlotDivefreq, I32, F(divefreq), 0, 1, CLOSED, kInt32Max, CLOSED, "1<=divefreq", DefaultKind::Value,
     20, kRuleNone, kNoGate, nullptr},
    {"RELIABILITY", kSlotReliability, I32, F(reliability), 0, 1, CLOSED, 1000, CLOSED, "1<=reliability<=1000",
     DefaultKind::Value, 4, kRuleNone, kNoGate, nullptr},
    {"CUTPASSES", kSlotCutpasses, I32, F(cutpasses), 0, 0, CLOSED, 1000, CLOSED, "0<=cutpasses<=1000",
     DefaultKind::Value, 0, kRuleNone, kNoGate, nullptr},
    {"CUTCHECK", kSlotCutcheck, I32, F(cutcheck), 0, 0, CLOSED, 1, CLOSED, "0<=cutcheck<=1", DefaultKind::Value, 0,
     kRuleNone, kNoGate, nullptr},
    {"INVTYPE", kSlotInvtype, I16, F(invtype), 0, kInvTypeCount, CLOSED, kInvTypeAuto, CLOSED, "0<=invtype<=1",
     DefaultKind::Value, kInvTypeCount, kRuleNone, kNoGate, nullptr},
};

#undef F

constexpr int kTableSize = static_cast<int>(sizeof kTable / sizeof kTable[0]);

// Largest double, and the value INFINITY takes under "$GENERIC"=0.
constexpr double kGenericInfinity = 1.7e38;
constexpr int kSettingBytes = 64;

}  // namespace

const OptionSpec* option_table() { return kTable; }
int option_table_size() { return kTableSize; }

const OptionSpec* find_option(const char* name) {
    for (const OptionSpec& entry : kTable)
        if (std::strcmp(entry.name, name) == 0) return &entry;
    return nullptr;
}

double option_get(const LpOptions& options, const OptionSpec& entry, size_t field) {
    const char* base = reinterpret_cast<const char*>(&options) + field;
    switch (entry.type) {
        case OptionType::Int16: {
            int16_t v;
            std::memcpy(&v, base, sizeof v);
            return v;
        }
        case OptionType::Int32: {
            int32_t v;
            std::memcpy(&v, base, sizeof v);
            return v;
        }
        case OptionType::Double: {
            double v;
            std::memcpy(&v, base, sizeof v);
            return v;
        }
    }
    return 0;
}

void option_set(LpOptions& options, const OptionSpec& entry, size_t field, double value) {
    char* base = reinterpret_cast<char*>(&options) + field;
    switch (entry.type) {
        case OptionType::Int16: {
            const auto v = static_cast<int16_t>(option_to_integer(value));
            std::memcpy(base, &v, sizeof v);
            break;
        }
        case OptionType::Int32: {
            const auto v = static_cast<int32_t>(option_to_integer(value));
            std::memcpy(base, &v, sizeof v);
            break;
        }
        case OptionType::Double: std::memcpy(base, &value, sizeof value); break;
    }
}

int64_t option_to_integer(double value) {
    constexpr double kLimit = 9.0e18;  // inside the int64 range, far outside every option's range
    if (std::isnan(value)) return INT64_MIN;
    if (value >= kLimit) return INT64_MAX;
    if (value <= -kLimit) return INT64_MIN;
    return static_cast<int64_t>(value);  // truncates toward zero
}

bool option_in_range(const OptionSpec& entry, double value, double epsilon_in_effect) {
    if (std::isnan(value)) return false;
    double v = value;
    if (entry.type != OptionType::Double) v = static_cast<double>(option_to_integer(value));
    const double lo = (entry.rules & kRuleAboveEpsilon) != 0 ? epsilon_in_effect : entry.lo;
    const bool above = entry.lo_open ? v > lo : v >= lo;
    const bool below = entry.hi_open ? v < entry.hi : v <= entry.hi;
    return above && below;
}

double bepsilon_default() { return 0.5 * std::pow(kUnitRoundoff, 0.375); }

double option_default(const OptionSpec& entry) {
    switch (entry.default_kind) {
        case DefaultKind::Value: return entry.default_value;
        case DefaultKind::Missing: return host_missing('.');
        case DefaultKind::Bepsilon: return bepsilon_default();
        case DefaultKind::GenericInfinity: {
            char buf[kSettingBytes];
            const int len = host_setting("$GENERIC", buf, sizeof buf);
            if (len > 0 && len < kSettingBytes) {
                // Trim blanks around the value; "0" selects the portable infinity.
                int b = 0, e = len;
                while (b < e && buf[b] == ' ') ++b;
                while (e > b && buf[e - 1] == ' ') --e;
                if (e - b == 1 && buf[b] == '0') return kGenericInfinity;
            }
            return kMacBig;
        }
    }
    return entry.default_value;
}

}  // namespace tymlp
