// option_slots.h -- the numbers the grammar and the option check agree on:
// statement numbers, value slots of the parse record, flag bits, list
// numbers and the keyword values of the choice options.
#pragma once

#include <cstdint>

#include "base/ctx_options.h"

namespace tymlp {

// Statement numbers carried in TymParseRecord::statement.
enum StatementNumber : int {
    kStmtLp = 1,
    kStmtReset = 2,
    kStmtPivot = 3,
    kStmtIPivot = 4,
    kStmtShow = 5,
    kStmtPrint = 6,
    kStmtRun = 7,
    kStmtQuit = 8,
    kStmtType = 9,
    kStmtId = 10,
    kStmtRhs = 11,
    kStmtRange = 12,
    kStmtRhsSen = 13,
    kStmtVar = 14,
    kStmtRow = 15,
    kStmtColumn = 16,
    kStmtCoefficient = 17
};

// Value slots of the LP and RESET records, in the order of the option table.
enum OptionSlot : uint16_t {
    kSlotPenaltyDepth,
    kSlotDebug,
    kSlotEpsilon,
    kSlotRepsilon,
    kSlotInfinity,
    kSlotMaxit1,
    kSlotMaxit2,
    kSlotMaxit3,
    kSlotInvfreq,
    kSlotMaxit,
    kSlotTime,
    kSlotPrice,
    kSlotSparse,
    kSlotFuzz,
    kSlotSmall,
    kSlotU,
    kSlotInvtol,
    kSlotCanselect,
    kSlotBacktrack,
    kSlotVarselect,
    kSlotImaxit,
    kSlotPrintlevel,
    kSlotIobjective,
    kSlotDobjective,
    kSlotPobjective,
    kSlotWobjective,
    kSlotPause,
    kSlotIpause,
    kSlotIfeasiblepause,
    kSlotPricephi,
    kSlotRhsphi,
    kSlotScale,
    kSlotScaletype,
    kSlotPricetype,
    kSlotPrintfreq,
    kSlotIepsilon,
    kSlotWorkmemory,
    kSlotPerformance,
    kSlotReadmemory,
    kSlotRefreshq,
    kSlotQchecksize,
    kSlotQepsilon,
    kSlotQuratio,
    kSlotQlratio,
    kSlotPhasemix,
    kSlotDeltait,
    kSlotPwobjective,
    kSlotProximitypause,
    kSlotLifotype,
    kSlotBepsilon,
    kSlotRandompricemult,
    kSlotTreetype,
    kSlotPepsilon,
    kSlotPmaxit,
    kSlotCpercent,
    kSlotClength,
    kSlotCsize,
    kSlotPreprocess,
    kSlotPostprocess,
    kSlotAuto,
    kSlotAutoSecond,  // AUTO=(a, b) fills two slots
    kSlotControl,
    kSlotLu,
    kSlotAlgorithm,
    kSlotHeuristics,
    kSlotDivefreq,
    kSlotReliability,
    kSlotCutpasses,
    kSlotCutcheck,
    kSlotInvtype,
    kSlotCount
};

// Flag bits of the LP and RESET records: each keyword-only option has its
// own bit, and so has the keyword that clears it.
enum OptionFlagBit : uint8_t {
    kBitDevex,
    kBitNoDevex,
    kBitEndpause,
    kBitNoEndpause,
    kBitFlow,
    kBitNoFlow,
    kBitPrint,
    kBitNoPrint,
    kBitParaprint,
    kBitNoParaprint,
    kBitPararestore,
    kBitNoPararestore,
    kBitTableauprint,
    kBitNoTableauprint,
    kBitFeasiblepause,
    kBitNoFeasiblepause,
    kBitSparsedata,
    kBitRangeprice,
    kBitNoRangeprice,
    kBitRangerhs,
    kBitNoRangerhs,
    kBitGoalprogram,
    kBitReadpause,
    kBitBinfst,
    kBitNoBinfst,
    kBitPostprocess,
    kBitNoPostprocess,
    kBitAuto,
    kBitNoAuto,
    kBitPreprocess,
    kBitNoPreprocess,
    kBitSparsepricing,
    kBitNoSparsepricing,
    kBitBlandsrule,
    kBitNoBlandsrule,
    kOptionFlagBits
};
static_assert(kOptionFlagBits <= 40, "the parse record has five flag bytes");

// Flag bits of the QUIT record: SAVE (keep the results: write the output
// data sets before the run ends) is bit 6, the 0x40 of the first flag byte.
inline constexpr int kBitQuitSave = 6;

// Flag bits and lists of the SHOW and PRINT records.
enum ShowFlagBit : uint8_t { kBitShowOptions, kBitShowStatus };
enum PrintFlagBit : uint8_t {
    kBitPrintSolution,
    kBitPrintInteger,
    kBitPrintNoninteger,
    kBitPrintNonzeros,
    kBitPrintZeros,
    kBitPrintIntegerNonzeros,
    kBitPrintIntegerZeros,
    kBitPrintNonintegerNonzeros,
    kBitPrintTableau,
    kBitPrintMatrix,
    kBitPrintPicture,
    kBitPrintSensitivity,
    kBitPrintRangeprice,
    kBitPrintRangerhs,
    kBitPrintBest,
    kBitPrintColumn,
    kBitPrintRow
};
enum PrintList : uint16_t { kListPrintColumns = 0, kListPrintRows = 1 };

}  // namespace tymlp
