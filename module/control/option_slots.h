// option_slots.h -- the numbers the grammar and the option check agree on:
// statement numbers, value slots of the parse record, flag bits, list
// numbers and the keyword values of the choice options.
#pragma once

#include <cstdint>

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
    kSlotPenaltyDepth, kSlotDebug, kSlotEpsilon, kSlotRepsilon, kSlotInfinity,
    kSlotMaxit1, kSlotMaxit2, kSlotMaxit3, kSlotInvfreq, kSlotMaxit,
    kSlotTime, kSlotPrice, kSlotSparse, kSlotFuzz, kSlotSmall,
    kSlotU, kSlotInvtol, kSlotCanselect, kSlotBacktrack, kSlotVarselect,
    kSlotImaxit, kSlotPrintlevel, kSlotIobjective, kSlotDobjective, kSlotPobjective,
    kSlotWobjective, kSlotPause, kSlotIpause, kSlotIfeasiblepause, kSlotPricephi,
    kSlotRhsphi, kSlotScale, kSlotScaletype, kSlotPricetype, kSlotPrintfreq,
    kSlotIepsilon, kSlotWorkmemory, kSlotPerformance, kSlotReadmemory, kSlotRefreshq,
    kSlotQchecksize, kSlotQepsilon, kSlotQuratio, kSlotQlratio, kSlotPhasemix,
    kSlotDeltait, kSlotPwobjective, kSlotProximitypause, kSlotLifotype, kSlotBepsilon,
    kSlotRandompricemult, kSlotTreetype, kSlotPepsilon, kSlotPmaxit, kSlotCpercent,
    kSlotClength, kSlotCsize, kSlotPreprocess, kSlotPostprocess,
    kSlotAuto, kSlotAutoSecond,  // AUTO=(a, b) fills two slots
    kSlotControl, kSlotLu,
    kSlotCount
};

// Flag bits of the LP and RESET records: each keyword-only option has its
// own bit, and so has the keyword that clears it.
enum OptionFlagBit : uint8_t {
    kBitDevex, kBitNoDevex, kBitEndpause, kBitNoEndpause, kBitFlow, kBitNoFlow,
    kBitPrint, kBitNoPrint, kBitParaprint, kBitNoParaprint, kBitPararestore, kBitNoPararestore,
    kBitTableauprint, kBitNoTableauprint, kBitFeasiblepause, kBitNoFeasiblepause,
    kBitSparsedata, kBitRangeprice, kBitNoRangeprice, kBitRangerhs, kBitNoRangerhs,
    kBitGoalprogram, kBitReadpause, kBitBinfst, kBitNoBinfst,
    kBitPostprocess, kBitNoPostprocess, kBitAuto, kBitNoAuto, kBitPreprocess, kBitNoPreprocess,
    kBitSparsepricing, kBitNoSparsepricing, kBitBlandsrule, kBitNoBlandsrule,
    kOptionFlagBits
};
static_assert(kOptionFlagBits <= 40, "the parse record has five flag bytes");

// Flag bits of the QUIT record: SAVE (keep the results: write the output
// data sets before the run ends) is bit 6, the 0x40 of the first flag byte.
inline constexpr int kBitQuitSave = 6;

// Flag bits and lists of the SHOW and PRINT records.
enum ShowFlagBit : uint8_t { kBitShowOptions, kBitShowStatus };
enum PrintFlagBit : uint8_t {
    kBitPrintSolution, kBitPrintInteger, kBitPrintNoninteger, kBitPrintNonzeros, kBitPrintZeros,
    kBitPrintIntegerNonzeros, kBitPrintIntegerZeros, kBitPrintNonintegerNonzeros,
    kBitPrintTableau, kBitPrintMatrix, kBitPrintPicture, kBitPrintSensitivity,
    kBitPrintRangeprice, kBitPrintRangerhs, kBitPrintBest, kBitPrintColumn, kBitPrintRow
};
enum PrintList : uint16_t { kListPrintColumns = 0, kListPrintRows = 1 };

// Keyword values of the choice options.
enum NodeRule : int16_t { kNodeLifo = 1, kNodeFifo = 2, kNodeObj = 3, kNodeProject = 4, kNodePseudoc = 5, kNodeError = 6 };
enum VarRule : int16_t { kVarClose = 1, kVarFar = 2, kVarPenalty = 3, kVarPrior = 4, kVarPseudoc = 5, kVarPrice = 6 };
enum ScaleMode : int16_t { kScaleNone = 0, kScaleColumns = 1, kScaleRows = 2, kScaleBoth = 3 };
enum ScaleType : int16_t { kScaleEquilibrium = 0, kScaleGeometric = 1 };
// PRICETYPE: 0 full pricing (COMPLETE; NONE, as in "no candidate queue"),
// 1 queue whose slot of the entering column follows the leaving one, 2 queue
// whose slot is emptied (PARTIAL), 3 dynamic queue (DYNAMIC), 4 lowest index.
enum PriceType : int16_t {
    kPriceFull = 0, kPriceQueueFollow = 1, kPricePartial = 2, kPriceDynamic = 3, kPriceLowestIndex = 4
};

}  // namespace tymlp
