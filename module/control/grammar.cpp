// grammar.cpp -- statements, options and value keywords of the procedure.
//
// Options are listed per statement; a statement allows the contiguous run
// [first_option, first_option + option_count).  The LP statement's list
// begins with the options only it takes (the input data sets and the input
// layout); RESET shares the rest.  Aliases are separate defs with the same
// slot, bit or data set number.
#include "control/grammar.h"

#include <cstdint>
#include <cstring>

#include "base/context_memory.h"
#include "control/keyword_table.h"
#include "control/option_slots.h"

namespace tymlp {
namespace {

// ---------------------------------------------------------------- choices
enum ChoiceList : uint16_t {
    kChoiceNode = 0,  // CANSELECT, BACKTRACK
    kChoiceNodeCount = 6,
    kChoiceVar = 6,  // VARSELECT
    kChoiceVarCount = 8,
    kChoiceScale = 14,  // SCALE
    kChoiceScaleCount = 5,
    kChoiceScaleType = 19,  // SCALETYPE
    kChoiceScaleTypeCount = 2,
    kChoicePrice = 21,  // PRICETYPE
    kChoicePriceCount = 4,
    kChoiceAlgorithm = 25,  // ALGORITHM
    kChoiceAlgorithmCount = 3,
    kChoiceInvType = 28,  // INVTYPE
    kChoiceInvTypeCount = 2,
    kChoiceTotal = 30
};

constexpr TymChoiceDef kChoices[] = {
    {kw("LIFO"), kNodeLifo},
    {kw("FIFO"), kNodeFifo},
    {kw("OBJ"), kNodeObj},
    {kw("PROJECT"), kNodeProject},
    {kw("PSEUDOC"), kNodePseudoc},
    {kw("ERROR"), kNodeError},

    {kw("CLOSE"), kVarClose},
    {kw("FAR"), kVarFar},
    {kw("PENALTY"), kVarPenalty},
    {kw("PRIOR"), kVarPrior},
    {kw("PSEUDOC"), kVarPseudoc},
    {kw("PRICE"), kVarPrice},
    {kw("PENSUM"), kVarPenaltySum},
    {kw("RELIABLE"), kVarReliable},

    {kw("NONE"), kScaleNone},
    {kw("COLUMN"), kScaleColumns},
    {kw("COL"), kScaleColumns},
    {kw("ROW"), kScaleRows},
    {kw("BOTH"), kScaleBoth},

    {kw("EQUILIBRIUM"), kScaleEquilibrium},
    {kw("GEOMETRIC"), kScaleGeometric},

    {kw("COMPLETE"), kPriceFull},
    {kw("NONE"), kPriceFull},
    {kw("PARTIAL"), kPricePartial},
    {kw("DYNAMIC"), kPriceDynamic},

    {kw("PRIMAL"), kAlgorithmPrimal},
    {kw("DUAL"), kAlgorithmDual},
    {kw("AUTO"), kAlgorithmAuto},

    {kw("COUNT"), kInvTypeCount},
    {kw("AUTO"), kInvTypeAuto},
};
static_assert(sizeof kChoices / sizeof kChoices[0] == kChoiceTotal, "choice lists");

// ---------------------------------------------------------------- options
constexpr TymOptionDef flag(uint16_t keyword, int bit) {
    return {keyword, TYM_OPT_FLAG, static_cast<uint8_t>(bit), 0, 0, 0, 0};
}
constexpr TymOptionDef number(uint16_t keyword, uint16_t slot) { return {keyword, TYM_OPT_NUMBER, 0, slot, 0, 0, 0}; }
constexpr TymOptionDef choice(uint16_t keyword, uint16_t slot, uint16_t first, uint16_t count) {
    return {keyword, TYM_OPT_CHOICE, 0, slot, first, count, 0};
}
constexpr TymOptionDef dataset(uint16_t keyword, int number) {
    return {keyword, TYM_OPT_DATASET, 0, static_cast<uint16_t>(number), 0, 0, 0};
}
constexpr TymOptionDef flag_value(uint16_t keyword, int bit, uint16_t slot) {
    return {keyword, TYM_OPT_FLAG_VALUE, static_cast<uint8_t>(bit), slot, 0, 0, 0};
}
constexpr TymOptionDef flag_pair(uint16_t keyword, int bit, uint16_t slot) {
    return {keyword, TYM_OPT_FLAG_PAIR, static_cast<uint8_t>(bit), slot, 0, 0, 0};
}
constexpr TymOptionDef list(uint16_t keyword, int bit, uint16_t number) {
    return {keyword, TYM_OPT_LIST, static_cast<uint8_t>(bit), number, 0, 0, 0};
}

constexpr TymOptionDef kOptions[] = {
    // LP only: the input data sets and the input layout.
    dataset(kw("DATA"), kDsData),
    dataset(kw("PRIMALIN"), kDsPrimalIn),
    dataset(kw("PIN"), kDsPrimalIn),
    dataset(kw("ACTIVEIN"), kDsActiveIn),
    dataset(kw("AIN"), kDsActiveIn),
    flag(kw("SPARSEDATA"), kBitSparsedata),

    // LP and RESET.
    dataset(kw("PRIMALOUT"), kDsPrimalOut),
    dataset(kw("POUT"), kDsPrimalOut),
    dataset(kw("DUALOUT"), kDsDualOut),
    dataset(kw("DOUT"), kDsDualOut),
    dataset(kw("ACTIVEOUT"), kDsActiveOut),
    dataset(kw("AOUT"), kDsActiveOut),
    dataset(kw("TABLEAUOUT"), kDsTableauOut),
    dataset(kw("TOUT"), kDsTableauOut),

    flag(kw("DEVEX"), kBitDevex),
    flag(kw("NODEVEX"), kBitNoDevex),
    flag(kw("ENDPAUSE"), kBitEndpause),
    flag(kw("NOENDPAUSE"), kBitNoEndpause),
    flag(kw("FLOW"), kBitFlow),
    flag(kw("NOFLOW"), kBitNoFlow),
    flag(kw("PRINT"), kBitPrint),
    flag(kw("NOPRINT"), kBitNoPrint),
    flag(kw("PARAPRINT"), kBitParaprint),
    flag(kw("NOPARAPRINT"), kBitNoParaprint),
    flag(kw("PARARESTORE"), kBitPararestore),
    flag(kw("NOPARARESTORE"), kBitNoPararestore),
    flag(kw("TABLEAUPRINT"), kBitTableauprint),
    flag(kw("NOTABLEAUPRINT"), kBitNoTableauprint),
    flag(kw("FEASIBLEPAUSE"), kBitFeasiblepause),
    flag(kw("NOFEASIBLEPAUSE"), kBitNoFeasiblepause),
    flag(kw("RANGEPRICE"), kBitRangeprice),
    flag(kw("NORANGEPRICE"), kBitNoRangeprice),
    flag(kw("RANGERHS"), kBitRangerhs),
    flag(kw("NORANGERHS"), kBitNoRangerhs),
    flag(kw("GOALPROGRAM"), kBitGoalprogram),
    flag(kw("READPAUSE"), kBitReadpause),
    flag(kw("BINFST"), kBitBinfst),
    flag(kw("NOBINFST"), kBitNoBinfst),
    flag_value(kw("POSTPROCESS"), kBitPostprocess, kSlotPostprocess),
    flag(kw("NOPOSTPROCESS"), kBitNoPostprocess),
    flag_pair(kw("AUTO"), kBitAuto, kSlotAuto),
    flag(kw("NOAUTO"), kBitNoAuto),
    flag_value(kw("PREPROCESS"), kBitPreprocess, kSlotPreprocess),
    flag(kw("NOPREPROCESS"), kBitNoPreprocess),
    flag(kw("SPARSEPRICING"), kBitSparsepricing),
    flag(kw("NOSPARSEPRICING"), kBitNoSparsepricing),
    flag(kw("BLANDSRULE"), kBitBlandsrule),
    flag(kw("NOBLANDSRULE"), kBitNoBlandsrule),

    number(kw("PENALTYDEPTH"), kSlotPenaltyDepth),
    number(kw("DEBUG"), kSlotDebug),
    number(kw("EPSILON"), kSlotEpsilon),
    number(kw("EPS"), kSlotEpsilon),
    number(kw("REPSILON"), kSlotRepsilon),
    number(kw("REPS"), kSlotRepsilon),
    number(kw("INFINITY"), kSlotInfinity),
    number(kw("INF"), kSlotInfinity),
    number(kw("MAXIT1"), kSlotMaxit1),
    number(kw("MAXIT2"), kSlotMaxit2),
    number(kw("MAXIT3"), kSlotMaxit3),
    number(kw("INVFREQ"), kSlotInvfreq),
    number(kw("MAXIT"), kSlotMaxit),
    number(kw("TIME"), kSlotTime),
    number(kw("PRICE"), kSlotPrice),
    number(kw("SPARSE"), kSlotSparse),
    number(kw("FUZZ"), kSlotFuzz),
    number(kw("SMALL"), kSlotSmall),
    number(kw("U"), kSlotU),
    number(kw("INVTOL"), kSlotInvtol),
    choice(kw("CANSELECT"), kSlotCanselect, kChoiceNode, kChoiceNodeCount),
    choice(kw("BACKTRACK"), kSlotBacktrack, kChoiceNode, kChoiceNodeCount),
    choice(kw("VARSELECT"), kSlotVarselect, kChoiceVar, kChoiceVarCount),
    number(kw("IMAXIT"), kSlotImaxit),
    number(kw("PRINTLEVEL"), kSlotPrintlevel),
    number(kw("IOBJECTIVE"), kSlotIobjective),
    number(kw("DOBJECTIVE"), kSlotDobjective),
    number(kw("POBJECTIVE"), kSlotPobjective),
    number(kw("WOBJECTIVE"), kSlotWobjective),
    number(kw("PAUSE"), kSlotPause),
    number(kw("IPAUSE"), kSlotIpause),
    number(kw("IFEASIBLEPAUSE"), kSlotIfeasiblepause),
    number(kw("PRICEPHI"), kSlotPricephi),
    number(kw("RHSPHI"), kSlotRhsphi),
    choice(kw("SCALE"), kSlotScale, kChoiceScale, kChoiceScaleCount),
    choice(kw("SCALETYPE"), kSlotScaletype, kChoiceScaleType, kChoiceScaleTypeCount),
    choice(kw("PRICETYPE"), kSlotPricetype, kChoicePrice, kChoicePriceCount),
    number(kw("PRINTFREQ"), kSlotPrintfreq),
    number(kw("IEPSILON"), kSlotIepsilon),
    number(kw("IEPS"), kSlotIepsilon),
    number(kw("WORKMEMORY"), kSlotWorkmemory),
    number(kw("PERFORMANCE"), kSlotPerformance),
    number(kw("READMEMORY"), kSlotReadmemory),
    number(kw("REFRESHQ"), kSlotRefreshq),
    number(kw("QCHECKSIZE"), kSlotQchecksize),
    number(kw("QEPSILON"), kSlotQepsilon),
    number(kw("QURATIO"), kSlotQuratio),
    number(kw("QLRATIO"), kSlotQlratio),
    number(kw("PHASEMIX"), kSlotPhasemix),
    number(kw("DELTAIT"), kSlotDeltait),
    number(kw("PWOBJECTIVE"), kSlotPwobjective),
    number(kw("PROXIMITYPAUSE"), kSlotProximitypause),
    number(kw("LIFOTYPE"), kSlotLifotype),
    number(kw("BEPSILON"), kSlotBepsilon),
    number(kw("RANDOMPRICEMULT"), kSlotRandompricemult),
    number(kw("TREETYPE"), kSlotTreetype),
    number(kw("PEPSILON"), kSlotPepsilon),
    number(kw("PEPS"), kSlotPepsilon),
    number(kw("PMAXIT"), kSlotPmaxit),
    number(kw("CPERCENT"), kSlotCpercent),
    number(kw("CLENGTH"), kSlotClength),
    number(kw("CSIZE"), kSlotCsize),
    number(kw("CONTROL"), kSlotControl),
    number(kw("LU"), kSlotLu),
    choice(kw("ALGORITHM"), kSlotAlgorithm, kChoiceAlgorithm, kChoiceAlgorithmCount),
    number(kw("HEURISTICS"), kSlotHeuristics),
    number(kw("DIVEFREQ"), kSlotDivefreq),
    number(kw("RELIABILITY"), kSlotReliability),
    number(kw("CUTPASSES"), kSlotCutpasses),
    number(kw("CUTCHECK"), kSlotCutcheck),
    choice(kw("INVTYPE"), kSlotInvtype, kChoiceInvType, kChoiceInvTypeCount),

    // QUIT
    flag(kw("SAVE"), kBitQuitSave),

    // SHOW
    flag(kw("OPTIONS"), kBitShowOptions),
    flag(kw("STATUS"), kBitShowStatus),

    // PRINT
    flag(kw("SOLUTION"), kBitPrintSolution),
    list(kw("COLUMN"), kBitPrintColumn, kListPrintColumns),
    list(kw("COL"), kBitPrintColumn, kListPrintColumns),
    list(kw("ROW"), kBitPrintRow, kListPrintRows),
    flag(kw("INTEGER"), kBitPrintInteger),
    flag(kw("NONINTEGER"), kBitPrintNoninteger),
    flag(kw("NONZEROS"), kBitPrintNonzeros),
    flag(kw("ZEROS"), kBitPrintZeros),
    flag(kw("INTEGER_NONZEROS"), kBitPrintIntegerNonzeros),
    flag(kw("INTEGER_ZEROS"), kBitPrintIntegerZeros),
    flag(kw("NONINTEGER_NONZEROS"), kBitPrintNonintegerNonzeros),
    flag(kw("TABLEAU"), kBitPrintTableau),
    flag(kw("MATRIX"), kBitPrintMatrix),
    flag(kw("PICTURE"), kBitPrintPicture),
    flag(kw("SENSITIVITY"), kBitPrintSensitivity),
    flag(kw("RANGEPRICE"), kBitPrintRangeprice),
    flag(kw("RANGERHS"), kBitPrintRangerhs),
    flag(kw("BEST"), kBitPrintBest),
};

constexpr int kOptionTotal = static_cast<int>(sizeof kOptions / sizeof kOptions[0]);

// Where each statement's options begin, found by their first keyword.
constexpr uint16_t index_of(uint16_t keyword, uint8_t kind) {
    for (int i = 0; i < kOptionTotal; ++i)
        if (kOptions[i].keyword == keyword && kOptions[i].kind == kind) return static_cast<uint16_t>(i);
    return static_cast<uint16_t>(kOptionTotal);
}
constexpr uint16_t kLpFirst = 0;
constexpr uint16_t kResetFirst = index_of(kw("PRIMALOUT"), TYM_OPT_DATASET);
constexpr uint16_t kQuitFirst = index_of(kw("SAVE"), TYM_OPT_FLAG);
constexpr uint16_t kShowFirst = index_of(kw("OPTIONS"), TYM_OPT_FLAG);
constexpr uint16_t kPrintFirst = index_of(kw("SOLUTION"), TYM_OPT_FLAG);
constexpr uint16_t kLpCount = kQuitFirst - kLpFirst;
constexpr uint16_t kResetCount = kQuitFirst - kResetFirst;
constexpr uint16_t kQuitCount = kShowFirst - kQuitFirst;
constexpr uint16_t kShowCount = kPrintFirst - kShowFirst;
constexpr uint16_t kPrintCount = static_cast<uint16_t>(kOptionTotal) - kPrintFirst;
static_assert(kResetFirst < kQuitFirst && kQuitFirst < kShowFirst && kShowFirst < kPrintFirst, "option runs");

// ---------------------------------------------------------------- statements
constexpr TymStatementDef options_statement(uint16_t keyword, int number, uint16_t first, uint16_t count,
                                            uint16_t flags = 0) {
    return {keyword, TYM_STMT_OPTIONS, static_cast<uint16_t>(number), first, count, flags};
}
constexpr TymStatementDef varlist_statement(uint16_t keyword, int number) {
    return {keyword, TYM_STMT_VARLIST, static_cast<uint16_t>(number), 0, 0, 0};
}

constexpr TymStatementDef kStatements[] = {
    options_statement(kw("LP"), kStmtLp, kLpFirst, kLpCount, TYM_STMT_PROCEDURE),
    options_statement(kw("RESET"), kStmtReset, kResetFirst, kResetCount),
    options_statement(kw("PIVOT"), kStmtPivot, 0, 0),
    options_statement(kw("IPIVOT"), kStmtIPivot, 0, 0),
    options_statement(kw("SHOW"), kStmtShow, kShowFirst, kShowCount),
    options_statement(kw("PRINT"), kStmtPrint, kPrintFirst, kPrintCount),
    options_statement(kw("RUN"), kStmtRun, 0, 0),
    options_statement(kw("QUIT"), kStmtQuit, kQuitFirst, kQuitCount),
    varlist_statement(kw("TYPE"), kStmtType),
    varlist_statement(kw("ID"), kStmtId),
    varlist_statement(kw("RHS"), kStmtRhs),
    varlist_statement(kw("RANGE"), kStmtRange),
    varlist_statement(kw("RHSSEN"), kStmtRhsSen),
    varlist_statement(kw("VAR"), kStmtVar),
    varlist_statement(kw("ROW"), kStmtRow),
    varlist_statement(kw("COLUMN"), kStmtColumn),
    varlist_statement(kw("COL"), kStmtColumn),
    varlist_statement(kw("COEFFICIENT"), kStmtCoefficient),
    varlist_statement(kw("COEF"), kStmtCoefficient),
};

constexpr int kStatementTotal = static_cast<int>(sizeof kStatements / sizeof kStatements[0]);

static_assert(sizeof(TymGrammar) == 176, "22 pointer-sized entries");

const void* as_entry(intptr_t value) { return reinterpret_cast<const void*>(value); }

TymGrammar make_template() {
    TymGrammar g{};
    g.entry[TYM_GR_MAGIC] = as_entry(TYM_GRAMMAR_MAGIC);
    g.entry[TYM_GR_KEYWORDS] = keyword_bytes();
    g.entry[TYM_GR_KEYWORD_COUNT] = as_entry(kKeywordCount);
    g.entry[TYM_GR_STATEMENTS] = kStatements;
    g.entry[TYM_GR_STATEMENT_COUNT] = as_entry(kStatementTotal);
    g.entry[TYM_GR_OPTIONS] = kOptions;
    g.entry[TYM_GR_OPTION_COUNT] = as_entry(kOptionTotal);
    g.entry[TYM_GR_CHOICES] = kChoices;
    g.entry[TYM_GR_CHOICE_COUNT] = as_entry(kChoiceTotal);
    g.entry[TYM_GR_SLOT_COUNT] = as_entry(kSlotCount);
    return g;
}

}  // namespace

const TymStatementDef* grammar_statements() { return kStatements; }
int grammar_statement_count() { return kStatementTotal; }
const TymOptionDef* grammar_options() { return kOptions; }
int grammar_option_count() { return kOptionTotal; }
const TymChoiceDef* grammar_choices() { return kChoices; }
int grammar_choice_count() { return kChoiceTotal; }

const TymGrammar& grammar_template() {
    static const TymGrammar kTemplate = make_template();
    return kTemplate;
}

TymGrammar* build_grammar_descriptor(LpContext* ctx) {
    auto* g = static_cast<TymGrammar*>(ctx_alloc(ctx, sizeof(TymGrammar), TYM_ALLOC_LONG));
    if (g == nullptr) return nullptr;
    std::memcpy(g, &grammar_template(), sizeof(TymGrammar));
    return g;
}

}  // namespace tymlp
