// matrix_store.cpp -- column blocks in the matrix store file.
#include "input/matrix_store.h"

#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"

namespace tymlp {
namespace {

constexpr int64_t kBlockAlign = 8;

int file_failure(int status) {
    host_io_error_report(status < 0 ? status : -1);
    return kRunIo;
}

int64_t row_bytes_padded(int32_t count) {
    const int64_t bytes = static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(int32_t));
    return (bytes + kBlockAlign - 1) / kBlockAlign * kBlockAlign;
}

bool valid_column(const LpContext* ctx, int32_t j) {
    return ctx->model.directory != nullptr && j >= 0 && j < ctx->model.directory_size;
}

// Writes values, rows and the padding at the file's current position.
int write_block(TymUtil file, const double* values, const int32_t* rows, int32_t count) {
    const int64_t value_bytes = static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(double));
    const int64_t index_bytes = static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(int32_t));
    int rc = count > 0 ? host_util_write(file, values, value_bytes) : 0;
    if (rc == 0 && count > 0) rc = host_util_write(file, rows, index_bytes);
    const int64_t pad = row_bytes_padded(count) - index_bytes;
    if (rc == 0 && pad > 0) {
        const char zeros[kBlockAlign] = {};
        rc = host_util_write(file, zeros, pad);
    }
    return rc == 0 ? 0 : file_failure(rc);
}

}  // namespace

int64_t matrix_block_bytes(int32_t count) {
    return static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(double)) + row_bytes_padded(count);
}

int open_matrix_store(LpContext* ctx, int32_t n) {
    ProblemModel& m = ctx->model;
    if (m.matrix_store == nullptr) {
        m.matrix_store = host_util_open();
        if (m.matrix_store == nullptr) {
            host_status_report(-1);
            return kRunIo;
        }
    }
    if (n < 0) n = 0;
    if (n == m.directory_size && m.directory != nullptr) return 0;
    auto* dir = static_cast<ColumnDirItem*>(
        ctx_alloc(ctx, static_cast<size_t>(n) * sizeof(ColumnDirItem), TYM_ALLOC_LONG_ZERO));
    if (dir == nullptr && n > 0) return kRunMemory;
    // Items already written keep their place; new ones are empty.
    const int32_t kept = m.directory != nullptr ? (m.directory_size < n ? m.directory_size : n) : 0;
    for (int32_t j = 0; j < kept; ++j) dir[j] = m.directory[j];
    for (int32_t j = kept; j < n; ++j) dir[j].position = -1;
    ctx_free(ctx, m.directory);
    m.directory = dir;
    m.directory_size = n;
    return 0;
}

int matrix_write_column(LpContext* ctx, int32_t j, const double* values, const int32_t* rows, int32_t count) {
    TymUtil file = ctx->model.matrix_store;
    if (file == nullptr || !valid_column(ctx, j) || count < 0) return file_failure(-1);
    int rc = host_util_position(file, -1);
    if (rc != 0) return file_failure(rc);
    const int64_t position = host_util_tell(file);
    if (position < 0) return file_failure(static_cast<int>(position));
    rc = write_block(file, values, rows, count);
    if (rc != 0) return rc;
    ColumnDirItem& item = ctx->model.directory[j];
    item.position = position;
    item.count = count;
    return 0;
}

int matrix_rewrite_column(LpContext* ctx, int32_t j, const double* values, const int32_t* rows) {
    TymUtil file = ctx->model.matrix_store;
    if (file == nullptr || !valid_column(ctx, j) || ctx->model.directory[j].position < 0) return file_failure(-1);
    const ColumnDirItem& item = ctx->model.directory[j];
    int rc = host_util_position(file, item.position);
    if (rc != 0) return file_failure(rc);
    return write_block(file, values, rows, item.count);
}

int traverse_column(LpContext* ctx, int32_t j, const double** values, const int32_t** rows, int32_t* count) {
    if (!valid_column(ctx, j)) return file_failure(-1);
    const ColumnDirItem& item = ctx->model.directory[j];
    *count = item.count;
    if (item.cached != nullptr) {
        *values = item.cached;
        *rows = reinterpret_cast<const int32_t*>(item.cached + item.count);
        return 0;
    }
    if (item.count == 0) {
        *values = nullptr;
        *rows = nullptr;
        return 0;
    }
    if (item.position < 0) return file_failure(-1);
    const int64_t bytes = matrix_block_bytes(item.count);
    ProblemModel& m = ctx->model;
    if (bytes > m.traverse_capacity) {
        auto* buffer = static_cast<double*>(ctx_alloc(ctx, static_cast<size_t>(bytes), TYM_ALLOC_LONG));
        if (buffer == nullptr) return kRunMemory;
        ctx_free(ctx, m.traverse_buffer);
        m.traverse_buffer = buffer;
        m.traverse_capacity = bytes;
    }
    int rc = host_util_position(m.matrix_store, item.position);
    if (rc == 0) rc = host_util_read(m.matrix_store, m.traverse_buffer, bytes);
    if (rc != 0) return file_failure(rc);
    *values = m.traverse_buffer;
    *rows = reinterpret_cast<const int32_t*>(m.traverse_buffer + item.count);
    return 0;
}

}  // namespace tymlp
