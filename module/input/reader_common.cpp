// reader_common.cpp -- pieces shared by the dense and the sparse reader.
#include "input/reader_common.h"

#include "base/host_link.h"
#include "input/model_records.h"
#include "input/objectives.h"

namespace tymlp {

void copy_name(char* dst, int width, const char* src, int src_length) {
    if (width <= 0) return;
    std::memset(dst, ' ', static_cast<size_t>(width));
    if (src == nullptr) return;
    int n = src_length;
    if (n < 0) n = static_cast<int>(std::strlen(src));
    if (n > width) n = width;
    for (int k = 0; k < n && src[k] != '\0'; ++k) dst[k] = src[k];
}

int trimmed_length(const char* name, int width) {
    // Character variables may be declared up to 32767 bytes long and come
    // blank padded to that length with every observation: the padding is
    // passed over eight bytes at a time.  A byte is a blank or a zero byte
    // exactly when setting its 0x20 bit makes it a blank.
    constexpr uint64_t kBlanks = 0x2020202020202020ull;
    while (width >= 8) {
        uint64_t word;
        std::memcpy(&word, name + width - 8, sizeof word);
        if ((word | kBlanks) != kBlanks) break;
        width -= 8;
    }
    while (width > 0 && (name[width - 1] == ' ' || name[width - 1] == '\0')) --width;
    return width;
}

bool is_blank(const char* field, int width) { return trimmed_length(field, width) == 0; }

int make_phase1_objective(LpContext* ctx, RowRecord* rec, char* name) {
    ProblemModel& m = ctx->model;
    copy_name(name, m.row_name_length, kPhase1Name, -1);
    ObjectiveRecord* obj = add_objective(ctx, 0, kSenseMinimise, name);
    if (obj == nullptr) return kRunMemory;
    *rec = empty_row(kRowObjective);
    rec->link.objective = obj;
    m.rows = 1;
    return 0;
}

void message_text_obs(int number, const char* text, int length, int64_t observation) {
    const TymArg args[] = {arg_text(text, length), arg_int(observation)};
    host_message(number, 2, args);
}

void report_unknown_type(const char* type, int length, int64_t observation) {
    if (is_blank(type, length)) {
        const TymArg arg = arg_int(observation);
        host_message(kMsgBlankType, 1, &arg);
        return;
    }
    message_text_obs(kMsgUnknownType, type, length, observation);
}

}  // namespace tymlp

#include "base/context_memory.h"

namespace tymlp {

void* reader_alloc(LpContext* ctx, ReaderBlocks& blocks, size_t bytes) {
    if (blocks.count >= ReaderBlocks::kMaxBlocks) return nullptr;
    // A zero-byte request still gets a block, so that null only means failure.
    void* p = ctx_alloc(ctx, bytes > 0 ? bytes : 1, TYM_ALLOC_LONG_ZERO);
    if (p != nullptr) blocks.block[blocks.count++] = p;
    return p;
}

void reader_free_all(LpContext* ctx, ReaderBlocks& blocks) {
    for (int k = 0; k < blocks.count; ++k) ctx_free(ctx, blocks.block[k]);
    blocks.count = 0;
}

}  // namespace tymlp

#include "input/column_lists.h"

namespace tymlp {
namespace {

constexpr const char* kDefaultRhsName = "_RHS_";
constexpr int64_t kZeroChunk = 512;

}  // namespace

int write_zeros(ColumnListEntry* entry, int64_t first, int64_t count) {
    const double zeros[kZeroChunk] = {};
    while (count > 0) {
        const int64_t n = count < kZeroChunk ? count : kZeroChunk;
        const int rc = list_write_values(entry, first, zeros, n);
        if (rc != 0) return rc;
        first += n;
        count -= n;
    }
    return 0;
}

int add_default_rhs(LpContext* ctx) {
    if (ctx->model.lists[kListRhs].count > 0) return 0;
    ColumnListEntry* entry = nullptr;
    const int width = ctx->model.column_name_length;
    char name[kMaxNameLength];
    copy_name(name, width, kDefaultRhsName, -1);
    int rc = list_append(ctx, kListRhs, name, width, &entry);
    if (rc == 0) rc = write_zeros(entry, 0, ctx->model.rows);
    if (rc == 0) host_message(kMsgDefaultRhs);
    return rc;
}

}  // namespace tymlp

namespace tymlp {
namespace {

constexpr int32_t kFirstCapacity = 64;
constexpr int32_t kLargestCapacity = 0x7FFFFFF0;

}  // namespace

int grow_array(LpContext* ctx, void** array, int64_t element_bytes, int32_t* capacity, int32_t need) {
    if (need <= *capacity && *array != nullptr) return 0;
    int64_t wanted = *capacity > 0 ? *capacity : kFirstCapacity;
    while (wanted < need) wanted *= 2;
    if (wanted > kLargestCapacity) wanted = kLargestCapacity;
    if (wanted < need) return kRunMemory;
    void* grown = ctx_alloc(ctx, static_cast<size_t>(wanted * element_bytes), TYM_ALLOC_LONG_ZERO);
    if (grown == nullptr) return kRunMemory;
    if (*array != nullptr) {
        std::memcpy(grown, *array, static_cast<size_t>(static_cast<int64_t>(*capacity) * element_bytes));
        ctx_free(ctx, *array);
    }
    *array = grown;
    *capacity = static_cast<int32_t>(wanted);
    return 0;
}

}  // namespace tymlp
