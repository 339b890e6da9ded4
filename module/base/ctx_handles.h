// ctx_handles.h -- what the run holds of the host: objects, data sets, the
// parser, the heap, and the chain of blocks taken from the host allocator.
#pragma once

#include <cstdint>

#include "tym_grammar.h"
#include "tym_host.h"

namespace tymlp {

// Data set references of the procedure statement, by reference number of
// the grammar (the parser fills TymParseRecord::data in this order).
enum DataSetNumber : int {
    kDsData = 0,
    kDsPrimalIn = 1,
    kDsActiveIn = 2,
    kDsPrimalOut = 3,
    kDsDualOut = 4,
    kDsActiveOut = 5,
    kDsTableauOut = 6,
    kDsCount = 7
};

// One block of the run's block chain.  The header sits in front of the
// caller's bytes; the chain is doubly linked so that a block can leave it
// in constant time when its owner frees it before the run ends.
struct BlockHeader {
    BlockHeader* prev;
    BlockHeader* next;
    uint64_t bytes;  // caller's bytes (without this header)
    uint64_t spare;  // keeps the caller's bytes 16-byte aligned
};

struct HostHandles {
    // Table output: the manager object, the two output objects (the second is
    // opened by logs that need their own), and the table open right now.
    TymObject manager;
    TymObject output[2];
    TymObject open_table;

    // Data sets named on the statement: copies of the references (valid for
    // the whole run) and which of them were given.
    TymDataRef data_ref[kDsCount];
    uint8_t data_given[kDsCount];

    // Opened data sets (absent until the step that uses them opens them).
    TymDataIn data_in;      // DATA=
    TymDataIn primalin;     // PRIMALIN=
    TymDataIn activein;     // ACTIVEIN=
    TymDataOut primalout;   // PRIMALOUT=
    TymDataOut dualout;     // DUALOUT=
    TymDataOut activeout;   // ACTIVEOUT=
    TymDataOut tableauout;  // TABLEAUOUT=

    TymParser parser;     // the statement parser of the step or pause
    TymHeap heap;         // the context's heap (created with 0, 1024, 2)
    BlockHeader* blocks;  // newest block of the block chain, or none
    int32_t block_count;  // blocks on the chain

    int16_t attention_installed;          // 1 while the attention handler is installed
    int16_t release_registered;           // 1 while the work-store release routine is registered
    TymReleaseCallback release_callback;  // the registered routine (for removal)
};

}  // namespace tymlp
