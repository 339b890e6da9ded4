// coef_window.cpp -- the readers' window over the end of the coefficient file.
#include "input/coef_window.h"

#include <cstddef>
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"

namespace tymlp {
namespace {

constexpr int64_t kEntryBytes = static_cast<int64_t>(sizeof(CoefEntry));
// Largest window (entries); READMEMORY cannot ask for more than this.
constexpr int64_t kMaxCapacity = int64_t{1} << 26;

int file_failure(int status) {
    host_status_report(status < 0 ? status : -1);
    return kRunIo;
}

bool in_window(const CoefWindow* w, int64_t k) { return k >= w->base && k < w->base + w->used; }

// Entry k outside the window: read it, let `change` alter it, write it back.
template <typename Change>
int rewrite_entry(TymUtil file, int64_t k, Change change) {
    CoefEntry entry;
    int rc = host_util_position(file, k * kEntryBytes);
    if (rc == 0) rc = host_util_read(file, &entry, kEntryBytes);
    if (rc != 0) return file_failure(rc);
    change(entry);
    rc = host_util_position(file, k * kEntryBytes);
    if (rc == 0) rc = host_util_write(file, &entry, kEntryBytes);
    return rc == 0 ? 0 : file_failure(rc);
}

int link_next_in_column(LpContext* ctx, CoefWindow* w, int64_t k, int32_t next) {
    if (in_window(w, k)) {
        w->entries[k - w->base].next_in_column = next;
        return 0;
    }
    return rewrite_entry(ctx->model.coef_file, k, [next](CoefEntry& e) { e.next_in_column = next; });
}

int link_next_in_row(LpContext* ctx, CoefWindow* w, int64_t k, int32_t next) {
    if (in_window(w, k)) {
        w->entries[k - w->base].next_in_row = next;
        return 0;
    }
    return rewrite_entry(ctx->model.coef_file, k, [next](CoefEntry& e) { e.next_in_row = next; });
}

}  // namespace

int coef_window_open(LpContext* ctx, CoefWindow* w, int64_t capacity) {
    *w = CoefWindow{};
    if (capacity < 1) capacity = 1;
    if (capacity > kMaxCapacity) capacity = kMaxCapacity;
    w->entries =
        static_cast<CoefEntry*>(ctx_alloc(ctx, static_cast<size_t>(capacity) * sizeof(CoefEntry), TYM_ALLOC_LONG));
    if (w->entries == nullptr) return kRunMemory;
    w->capacity = static_cast<int32_t>(capacity);
    w->base = ctx->model.coef_count;
    return 0;
}

int coef_window_flush(LpContext* ctx, CoefWindow* w) {
    if (w->used == 0) return 0;
    TymUtil file = ctx->model.coef_file;
    if (file == nullptr) return file_failure(-1);
    int rc = host_util_position(file, w->base * kEntryBytes);
    if (rc == 0) rc = host_util_write(file, w->entries, w->used * kEntryBytes);
    if (rc != 0) return file_failure(rc);
    w->base += w->used;
    w->used = 0;
    return 0;
}

int coef_window_append(LpContext* ctx, CoefWindow* w, int32_t row, RowRecord& row_rec, int32_t column,
                       ColumnRecord& col_rec, double value) {
    if (w->entries == nullptr) return file_failure(-1);
    if (w->used == w->capacity) {
        const int rc = coef_window_flush(ctx, w);
        if (rc != 0) return rc;
    }
    const int64_t k = ctx->model.coef_count;
    const auto index = static_cast<int32_t>(k);
    w->entries[w->used++] = CoefEntry{value, kNoEntry, row, kNoEntry, column};

    if (col_rec.last_entry != kNoEntry) {
        const int rc = link_next_in_column(ctx, w, col_rec.last_entry, index);
        if (rc != 0) return rc;
    } else {
        col_rec.first_entry = index;
    }
    if (row_rec.last_entry != kNoEntry) {
        const int rc = link_next_in_row(ctx, w, row_rec.last_entry, index);
        if (rc != 0) return rc;
    } else {
        row_rec.first_entry = index;
    }
    col_rec.last_entry = index;
    row_rec.last_entry = index;
    ++col_rec.entry_count;
    ++row_rec.entry_count;
    ctx->model.coef_count = k + 1;
    return 0;
}

int coef_window_set_value(LpContext* ctx, CoefWindow* w, int64_t k, double value) {
    if (in_window(w, k)) {
        w->entries[k - w->base].value = value;
        return 0;
    }
    return rewrite_entry(ctx->model.coef_file, k, [value](CoefEntry& e) { e.value = value; });
}

int coef_window_close(LpContext* ctx, CoefWindow* w) {
    const int rc = w->entries != nullptr ? coef_window_flush(ctx, w) : 0;
    ctx_free(ctx, w->entries);
    w->entries = nullptr;
    w->capacity = 0;
    return rc;
}

}  // namespace tymlp
