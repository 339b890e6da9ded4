// model_records.cpp -- fixed-length records in host utility files.
#include "input/model_records.h"

#include <cstddef>
#include <cstring>

#include "base/host_link.h"

namespace tymlp {
namespace {

constexpr int32_t kRecordAlign = 8;
// Room for the largest record: the fixed part and the longest name.
constexpr int kRecordBufferBytes = 128;
static_assert(sizeof(ColumnRecord) + kMaxNameLength <= kRecordBufferBytes, "record buffer");

int32_t align_record(int32_t bytes) { return (bytes + kRecordAlign - 1) / kRecordAlign * kRecordAlign; }

// Name lengths outside 1..kMaxNameLength fall back to the default or the longest.
int32_t name_or_default(int32_t length) {
    if (length <= 0) return kDefaultNameLength;
    return length > kMaxNameLength ? kMaxNameLength : length;
}

// A failed utility call: the host reports it, the caller fails with 25.
int store_failure(int status) {
    host_status_report(status < 0 ? status : -1);
    return kRunIo;
}

int open_store(TymUtil* file) {
    if (*file != nullptr) return 0;
    *file = host_util_open();
    return *file == nullptr ? store_failure(-1) : 0;
}

// Writes the fixed part `fixed` and the blank-padded name into record k.
int write_record(TymUtil file, int32_t k, int32_t record_length, const void* fixed, size_t fixed_bytes,
                 const char* name, int32_t name_length) {
    if (file == nullptr) return store_failure(-1);
    unsigned char buf[kRecordBufferBytes];
    std::memset(buf, ' ', sizeof buf);
    std::memcpy(buf, fixed, fixed_bytes);
    if (name != nullptr) std::memcpy(buf + fixed_bytes, name, static_cast<size_t>(name_length));
    int rc = host_util_position(file, static_cast<int64_t>(k) * record_length);
    if (rc == 0) rc = host_util_write(file, buf, record_length);
    return rc == 0 ? 0 : store_failure(rc);
}

int read_record(TymUtil file, int32_t k, int32_t record_length, void* fixed, size_t fixed_bytes, char* name,
                int32_t name_length) {
    if (file == nullptr) return store_failure(-1);
    unsigned char buf[kRecordBufferBytes];
    int rc = host_util_position(file, static_cast<int64_t>(k) * record_length);
    if (rc == 0) rc = host_util_read(file, buf, record_length);
    if (rc != 0) return store_failure(rc);
    std::memcpy(fixed, buf, fixed_bytes);
    if (name != nullptr) std::memcpy(name, buf + fixed_bytes, static_cast<size_t>(name_length));
    return 0;
}

// Overwrites one int32 field of coefficient entry k.
int patch_link(TymUtil file, int64_t k, size_t field_offset, int32_t value) {
    int rc = host_util_position(file, k * static_cast<int64_t>(sizeof(CoefEntry)) + static_cast<int64_t>(field_offset));
    if (rc == 0) rc = host_util_write(file, &value, sizeof value);
    return rc == 0 ? 0 : store_failure(rc);
}

}  // namespace

int32_t row_record_length(int32_t name_length) {
    return align_record(static_cast<int32_t>(sizeof(RowRecord)) + name_or_default(name_length));
}

int32_t column_record_length(int32_t name_length) {
    return align_record(static_cast<int32_t>(sizeof(ColumnRecord)) + name_or_default(name_length));
}

int open_model_stores(LpContext* ctx) {
    ProblemModel& m = ctx->model;
    m.row_name_length = name_or_default(m.row_name_length);
    m.column_name_length = name_or_default(m.column_name_length);
    m.row_record_length = row_record_length(m.row_name_length);
    m.column_record_length = column_record_length(m.column_name_length);
    int rc = open_store(&m.row_store);
    if (rc == 0) rc = open_store(&m.column_store);
    if (rc == 0) rc = open_store(&m.coef_file);
    return rc;
}

int write_row(LpContext* ctx, int32_t k, const RowRecord& rec, const char* name) {
    const ProblemModel& m = ctx->model;
    return write_record(m.row_store, k, m.row_record_length, &rec, sizeof rec, name, m.row_name_length);
}

int read_row(LpContext* ctx, int32_t k, RowRecord* rec, char* name) {
    const ProblemModel& m = ctx->model;
    return read_record(m.row_store, k, m.row_record_length, rec, sizeof *rec, name, m.row_name_length);
}

int write_column(LpContext* ctx, int32_t k, const ColumnRecord& rec, const char* name) {
    const ProblemModel& m = ctx->model;
    return write_record(m.column_store, k, m.column_record_length, &rec, sizeof rec, name, m.column_name_length);
}

int read_column(LpContext* ctx, int32_t k, ColumnRecord* rec, char* name) {
    const ProblemModel& m = ctx->model;
    return read_record(m.column_store, k, m.column_record_length, rec, sizeof *rec, name, m.column_name_length);
}

RowRecord empty_row(uint8_t flags) {
    RowRecord rec{};
    rec.logical_column = -1;
    rec.first_entry = kNoEntry;
    rec.last_entry = kNoEntry;
    rec.flags = flags;
    return rec;
}

ColumnRecord empty_column(const LpContext* ctx, uint16_t flags) {
    ColumnRecord rec{};
    rec.upper = ctx->options.infinity;
    rec.lower = -ctx->options.infinity;
    rec.integer_record = -1;
    rec.first_entry = kNoEntry;
    rec.last_entry = kNoEntry;
    rec.flags = flags;
    rec.logical_row = -1;
    return rec;
}

int append_coefficient(LpContext* ctx, int32_t row, RowRecord& row_rec, int32_t column, ColumnRecord& col_rec,
                       double value) {
    TymUtil file = ctx->model.coef_file;
    if (file == nullptr) return store_failure(-1);
    const int64_t k = ctx->model.coef_count;
    const auto index = static_cast<int32_t>(k);

    CoefEntry entry{value, kNoEntry, row, kNoEntry, column};
    int rc = host_util_position(file, k * static_cast<int64_t>(sizeof(CoefEntry)));
    if (rc == 0) rc = host_util_write(file, &entry, sizeof entry);
    if (rc != 0) return store_failure(rc);

    if (col_rec.last_entry != kNoEntry) {
        rc = patch_link(file, col_rec.last_entry, offsetof(CoefEntry, next_in_column), index);
        if (rc != 0) return rc;
    } else {
        col_rec.first_entry = index;
    }
    if (row_rec.last_entry != kNoEntry) {
        rc = patch_link(file, row_rec.last_entry, offsetof(CoefEntry, next_in_row), index);
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

int read_coefficient(LpContext* ctx, int64_t k, CoefEntry* entry) {
    TymUtil file = ctx->model.coef_file;
    if (file == nullptr) return store_failure(-1);
    int rc = host_util_position(file, k * static_cast<int64_t>(sizeof(CoefEntry)));
    if (rc == 0) rc = host_util_read(file, entry, sizeof *entry);
    return rc == 0 ? 0 : store_failure(rc);
}

}  // namespace tymlp
