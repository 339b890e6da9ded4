// column_lists.cpp -- lists of value columns kept in utility files.
#include "input/column_lists.h"

#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"

namespace tymlp {
namespace {

int file_failure(int status) {
    host_status_report(status < 0 ? status : -1);
    return kRunIo;
}

int64_t value_offset(int64_t element) { return element * static_cast<int64_t>(sizeof(double)); }

}  // namespace

int list_append(LpContext* ctx, ColumnListKind kind, const char* name, int name_length, ColumnListEntry** out) {
    *out = nullptr;
    // Entries come from the heap: they must outlive the block chain, because
    // end_run closes their files after it has returned the chain.
    auto* entry = static_cast<ColumnListEntry*>(ctx_heap_alloc(ctx, sizeof(ColumnListEntry)));
    if (entry == nullptr) return kRunMemory;
    std::memset(entry->name, ' ', sizeof entry->name);
    if (name != nullptr && name_length > 0) {
        size_t n = static_cast<size_t>(name_length) < sizeof entry->name ? static_cast<size_t>(name_length)
                                                                         : sizeof entry->name;
        std::memcpy(entry->name, name, n);
    }
    entry->file = host_util_open();
    if (entry->file == nullptr) {
        host_heap_release(ctx->handles.heap, entry);
        return file_failure(-1);
    }
    ColumnList& list = ctx->model.lists[kind];
    if (list.last != nullptr)
        list.last->next = entry;
    else
        list.first = entry;
    list.last = entry;
    ++list.count;
    *out = entry;
    return 0;
}

ColumnListEntry* list_entry(LpContext* ctx, ColumnListKind kind, int32_t index) {
    ColumnListEntry* entry = ctx->model.lists[kind].first;
    for (int32_t i = 0; entry != nullptr && i < index; ++i) entry = entry->next;
    return index < 0 ? nullptr : entry;
}

int list_write_values(ColumnListEntry* entry, int64_t first, const double* values, int64_t count) {
    if (entry == nullptr || entry->file == nullptr) return file_failure(-1);
    int rc = host_util_position(entry->file, value_offset(first));
    if (rc == 0) rc = host_util_write(entry->file, values, value_offset(count));
    return rc == 0 ? 0 : file_failure(rc);
}

int list_read_values(ColumnListEntry* entry, int64_t first, double* values, int64_t count) {
    if (entry == nullptr || entry->file == nullptr) return file_failure(-1);
    int rc = host_util_position(entry->file, value_offset(first));
    if (rc == 0) rc = host_util_read(entry->file, values, value_offset(count));
    return rc == 0 ? 0 : file_failure(rc);
}

void list_close_all(LpContext* ctx) {
    for (ColumnList& list : ctx->model.lists) {
        for (ColumnListEntry* e = list.first; e != nullptr; e = e->next) {
            if (e->file != nullptr) host_util_close(e->file);
            e->file = nullptr;
        }
    }
}

}  // namespace tymlp
